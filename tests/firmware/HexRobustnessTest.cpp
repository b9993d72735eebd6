// Mutated and truncated Intel HEX: every variant gives an image or one of the reader's five
// texts, exactly as an independent reading of the record format says, without crash, hang or
// leak.
#include <gtest/gtest.h>

#include "HexTestUtil.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <random>

#include "resource.h"

namespace
{
char const* const TEXTS[] = {"Unerwartetes Datenende.", "Ungültiges Zeichen gefunden.", "Ungültiger Recordtyp.",
                             "Daten in ungültigen Adressraum.", "Ungültige Prüfsumme."};
enum Outcome { END_OF_DATA, BAD_CHARACTER, BAD_TYPE, BAD_ADDRESS, BAD_CHECKSUM, IMAGE };

int digitValue(char c)
{
    char const* digits = "0123456789ABCDEF0123456789abcdef";
    char const* hit = c != '\0' ? strchr(digits, c) : nullptr;
    return hit ? static_cast<int>(hit - digits) % 16 : -1;
}

// The record format read a second time, field by field, to know what each variant must give.
Outcome expectedOutcome(std::string const& t, unsigned int cellCount, std::vector<unsigned short>& image)
{
    image.assign(cellCount, EMPTY);
    size_t at = 0;
    Outcome failure = IMAGE;
    auto field = [&](unsigned int& value) {
        value = 0;
        for (int k = 0; k < 2; k++)
        {
            if (at >= t.size())
                return failure = END_OF_DATA, false;
            int d = digitValue(t[at++]);
            if (d < 0)
                return failure = BAD_CHARACTER, false;
            value = value * 16 + d;
        }
        return true;
    };
    for (;;)
    {
        size_t colon = t.find(':', at);
        if (colon == std::string::npos)
            return END_OF_DATA;
        at = colon + 1;
        unsigned int count, high, low, type, value, sum = 0;
        if (!field(count) || !field(high) || !field(low) || !field(type))
            return failure;
        sum = count + high + low + type;
        if (type > 1)
            return BAD_TYPE;
        for (unsigned int i = 0; i < count; i++)
        {
            if (!field(value))
                return failure;
            sum += value;
            if ((high << 8 | low) + i >= cellCount)
                return BAD_ADDRESS;
            image[(high << 8 | low) + i] = static_cast<unsigned short>(value);
        }
        if (!field(value))
            return failure;
        if (value != ((0x100 - sum % 0x100) & 0xFF))
            return BAD_CHECKSUM;
        if (type == 1)
            return IMAGE;
    }
}

class Variants
{
public:
    explicit Variants(unsigned int seed) : random(seed) {}

    unsigned int below(unsigned int n) { return static_cast<unsigned int>(random() % n); }

    unsigned short cellCount()
    {
        // Few of the largest images: under Wine each of them costs a fresh mapping of 128 KiB.
        unsigned int pick = below(100);
        return pick < 30 ? FULL_IMAGE : pick < 32 ? 65535 : static_cast<unsigned short>(1 + below(2048));
    }

    std::string valid(unsigned int addressSpan)
    {
        static char const* const separators[] = {"\r\n", "\n", "", " ", "\r\n\r\n", "\t;x"};
        std::string text = below(4) == 0 ? "junk " : "";
        for (unsigned int n = 1 + below(8); n > 0; n--)
        {
            std::vector<unsigned char> bytes(below(5) == 0 ? 0 : 1 + below(20));
            for (unsigned char& b : bytes)
                b = static_cast<unsigned char>(random());
            std::string record = hexRecord(below(addressSpan), 0, bytes);
            if (below(3) == 0)
                for (char& c : record)
                    c = static_cast<char>(tolower(c));
            text += record + separators[below(6)];
        }
        text += below(6) == 0 ? hexRecord(below(addressSpan), 1, {static_cast<unsigned char>(random())}) : endRecord();
        if (below(2))
            text += "\r\n";
        if (below(5) == 0)
            text += ":0Z junk after the end";
        return text;
    }

    void mutate(std::string& t)
    {
        static char const pool[] = "0123456789ABCDEFabcdefG:: \r\n\x00\xFF";
        size_t at = t.empty() ? 0 : below(static_cast<unsigned int>(t.size()));
        switch (below(7))
        {
        case 0:
            if (!t.empty())
                t[at] = below(4) == 0 ? static_cast<char>(random()) : pool[below(sizeof pool - 1)];
            break;
        case 1:
            t.insert(at, 1, pool[below(sizeof pool - 1)]);
            break;
        case 2:
            t.erase(at, 1 + below(3));
            break;
        case 3:
            t.resize(at);
            break;
        case 4:
            if (!t.empty() && digitValue(t[at]) >= 0)
                t[at] = "0123456789ABCDEF"[below(16)];
            break;
        case 5: {
            size_t colon = t.find(':', at);
            if (colon != std::string::npos && colon + 9 <= t.size())
            {
                t[colon + 7] = "0000000123456789"[below(16)];
                t[colon + 8] = "0123456789ABCDEF"[below(16)];
            }
            break;
        }
        case 6:
            t.insert(below(static_cast<unsigned int>(t.size()) + 1), t.substr(at, 1 + below(40)));
            break;
        }
    }

private:
    std::mt19937 random;
};

// Committed private memory of the process, summed over its address space: the private bytes
// that a leak of heap blocks makes grow.
SIZE_T privateBytes()
{
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<char*>(region.BaseAddress) + region.RegionSize)
    {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        if (static_cast<char*>(region.BaseAddress) + region.RegionSize < at)
            break;
    }
    return total;
}

std::string builtInText()
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(IDR_FIRMWARE), "INTELHEX");
    return std::string(static_cast<char const*>(LockResource(LoadResource(module, resource))),
                       SizeofResource(module, resource));
}

// Runs `count` variants from `seed`; returns how often each outcome came, and stops at the first
// variant whose outcome differs from the expected one.
std::map<Outcome, unsigned int> runVariants(unsigned int seed, unsigned int count)
{
    std::string const firmware = builtInText();
    Variants variants(seed);
    std::vector<unsigned short> expectedImage;
    std::map<Outcome, unsigned int> tally;
    for (unsigned int n = 0; n < count; n++)
    {
        bool big = n % 100 == 0;
        std::string text = big ? firmware.substr(0, variants.below(static_cast<unsigned int>(firmware.size()) + 1))
                               : variants.valid(2200);
        unsigned short cells = big ? FULL_IMAGE : variants.cellCount();
        for (unsigned int m = variants.below(10) == 0 ? 0 : 1 + variants.below(3); m > 0; m--)
            variants.mutate(text);

        Outcome expected = expectedOutcome(text, cells, expectedImage);
        IntelHexData hex(text.data(), static_cast<unsigned int>(text.size()));
        Outcome actual = IMAGE;
        std::string message;
        unsigned short* image = nullptr;
        try
        {
            image = hex.parse(cells);
        }
        catch (Exception& e)
        {
            message = e.what();
            actual = static_cast<Outcome>(std::find(std::begin(TEXTS), std::end(TEXTS), message) - std::begin(TEXTS));
        }
        bool sameImage = image == nullptr || memcmp(image, expectedImage.data(), cells * sizeof *image) == 0;
        delete[] image;
        if (actual != expected || !sameImage)
        {
            ADD_FAILURE() << "variant " << n << " with " << cells << " cells gave \"" << message << "\""
                          << (sameImage ? "" : " and a wrong image") << ", expected \""
                          << (expected == IMAGE ? "an image" : TEXTS[expected]) << "\"; text:\n"
                          << text.substr(0, 400);
            break;
        }
        tally[actual]++;
    }
    return tally;
}

TEST(FirmwareHexRobustnessTest, HundredThousandVariantsGiveImagesOrTheirTexts)
{
    runVariants(1, 3000); // the heap settles at its working size
    SIZE_T before = privateBytes();
    DWORD start = GetTickCount();
    std::map<Outcome, unsigned int> tally = runVariants(0x1EF0, 100000);
    DWORD elapsed = GetTickCount() - start;
    SIZE_T after = privateBytes();

    unsigned int total = 0;
    for (int o = END_OF_DATA; o <= IMAGE; o++)
    {
        total += tally[static_cast<Outcome>(o)];
        EXPECT_GE(tally[static_cast<Outcome>(o)], 500u) << "too few variants give " << (o == IMAGE ? "an image" : TEXTS[o]);
    }
    EXPECT_EQ(100000u, total);
    EXPECT_LT(elapsed, 30000u) << "ms for all variants";
    // A leaked image is 64 KiB, a leaked message some 40 bytes: thousands of failures would show.
    EXPECT_LT(after, before + 1024 * 1024) << "private bytes before " << before << ", after " << after;
    printf("variants: %u in %lu ms; images %u, texts %u/%u/%u/%u/%u; private bytes %lu -> %lu\n", total,
           static_cast<unsigned long>(elapsed), tally[IMAGE], tally[END_OF_DATA], tally[BAD_CHARACTER], tally[BAD_TYPE],
           tally[BAD_ADDRESS], tally[BAD_CHECKSUM], static_cast<unsigned long>(before), static_cast<unsigned long>(after));
}
}
