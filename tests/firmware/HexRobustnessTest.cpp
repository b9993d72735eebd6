// Mutated and truncated Intel HEX: every variant gives an image or one of the reader's five
// texts, exactly as an independent reading of the record format says, without crash, hang or
// leak.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <random>

#include "HexTestUtil.h"

namespace
{
char const* const TEXTS[] = {"Unerwartetes Datenende.", "Ungültiges Zeichen gefunden.", "Ungültiger Recordtyp.",
                             "Daten in ungültigen Adressraum.", "Ungültige Prüfsumme.", "an image"};
enum Outcome { END_OF_DATA, BAD_CHARACTER, BAD_TYPE, BAD_ADDRESS, BAD_CHECKSUM, IMAGE };
char const DIGITS[] = "0123456789ABCDEF0123456789abcdef";

// The record format read a second time, field by field, to know what each variant must give.
Outcome expectedOutcome(std::string const& t, unsigned int cellCount, Cells& image)
{
    image.assign(cellCount, EMPTY);
    size_t at = 0;
    unsigned int sum = 0;
    auto byte = [&]() {
        unsigned int value = 0;
        for (int k = 0; k < 2; k++, at++)
        {
            if (at >= t.size())
                throw END_OF_DATA;
            char const* digit = t[at] != '\0' ? strchr(DIGITS, t[at]) : nullptr;
            if (!digit)
                throw BAD_CHARACTER;
            value = value * 16 + (digit - DIGITS) % 16;
        }
        sum += value;
        return value;
    };
    try
    {
        for (unsigned int type = 0; type != 1;)
        {
            if ((at = t.find(':', at)) == std::string::npos)
                return END_OF_DATA;
            at++;
            sum = 0;
            unsigned int count = byte(), address = byte() << 8;
            address |= byte();
            if ((type = byte()) > 1)
                return BAD_TYPE;
            for (unsigned int i = 0; i < count; i++)
            {
                unsigned int value = byte();
                if (address + i >= cellCount)
                    return BAD_ADDRESS;
                image[address + i] = static_cast<unsigned short>(value);
            }
            unsigned int expected = (0x100 - sum % 0x100) & 0xFF;
            if (byte() != expected)
                return BAD_CHECKSUM;
        }
    }
    catch (Outcome failure)
    {
        return failure;
    }
    return IMAGE;
}

class Variants
{
public:
    explicit Variants(unsigned int seed) : random(seed) {}

    unsigned int below(size_t n) { return static_cast<unsigned int>(random() % n); }

    // Few of the largest images: under Wine each of them costs a fresh mapping of 128 KiB.
    unsigned short cellCount()
    {
        unsigned int pick = below(100);
        return pick < 30 ? FULL_IMAGE : pick < 32 ? 65535 : static_cast<unsigned short>(1 + below(2048));
    }

    std::string valid()
    {
        static char const* const separators[] = {"\r\n", "\n", "", " ", "\r\n\r\n", "\t;x"};
        std::string text = below(4) == 0 ? "junk " : "";
        for (unsigned int n = 1 + below(8); n > 0; n--)
        {
            std::string bytes(below(5) == 0 ? 0 : 1 + below(20), '\0');
            for (char& b : bytes)
                b = static_cast<char>(random());
            std::string record = hexRecord(below(2200), 0, bytes);
            if (below(3) == 0)
                for (char& c : record)
                    c = static_cast<char>(tolower(c));
            text += record + separators[below(6)];
        }
        text += below(6) == 0 ? hexRecord(below(2200), 1, std::string(1, static_cast<char>(random()))) : END_RECORD;
        return text + (below(2) ? "\r\n" : "") + (below(5) == 0 ? ":0Z junk after the end" : "");
    }

    void mutate(std::string& t)
    {
        static char const pool[] = "0123456789ABCDEFabcdefG:: \r\n\x00\xFF";
        size_t at = t.empty() ? 0 : below(t.size());
        size_t colon = t.find(':', at);
        switch (below(7))
        {
        case 0: // any character, mostly one that means something in a record
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
        case 4: // another digit: a wrong checksum, count or address
            if (at < t.size() && t[at] != '\0' && strchr(DIGITS, t[at]))
                t[at] = DIGITS[below(16)];
            break;
        case 5: // another record type, mostly a known one
            if (colon != std::string::npos && colon + 9 <= t.size())
                t[colon + 7] = "0000000123456789"[below(16)], t[colon + 8] = DIGITS[below(16)];
            break;
        case 6:
            t.insert(below(t.size() + 1), t.substr(at, 1 + below(40)));
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

// Runs `count` variants from `seed` and counts each outcome; stops at the first variant whose
// outcome or image differs from the expected one. Every hundredth variant is a cut built-in text.
std::vector<unsigned int> runVariants(unsigned int seed, unsigned int count)
{
    std::string const firmware = builtInText();
    Variants variants(seed);
    Cells expectedImage;
    std::vector<unsigned int> tally(IMAGE + 1);
    for (unsigned int n = 0; n < count; n++)
    {
        bool big = n % 100 == 0;
        std::string text = big ? firmware.substr(0, variants.below(firmware.size() + 1)) : variants.valid();
        unsigned short cells = big ? FULL_IMAGE : variants.cellCount();
        for (unsigned int m = variants.below(10) == 0 ? 0 : 1 + variants.below(3); m > 0; m--)
            variants.mutate(text);

        Outcome expected = expectedOutcome(text, cells, expectedImage);
        ParseResult result = parseText(text, cells);
        if (result.error != (expected == IMAGE ? "" : TEXTS[expected]) || (result.ok() && result.cells != expectedImage))
        {
            ADD_FAILURE() << "variant " << n << " with " << cells << " cells gave "
                          << (result.ok() ? "an image" : result.error) << ", expected " << TEXTS[expected]
                          << " (first wrong cell " << firstDifference(expectedImage, result.cells) << "); text:\n"
                          << text.substr(0, 400);
            break;
        }
        tally[expected]++;
    }
    return tally;
}

TEST(FirmwareHexRobustnessTest, HundredThousandVariantsGiveImagesOrTheirTexts)
{
    runVariants(1, 3000); // the heap settles at its working size
    SIZE_T before = privateBytes();
    DWORD start = GetTickCount();
    std::vector<unsigned int> tally = runVariants(0x1EF0, 100000);
    DWORD elapsed = GetTickCount() - start;
    SIZE_T after = privateBytes();

    unsigned int total = 0;
    for (int o = END_OF_DATA; o <= IMAGE; o++)
    {
        total += tally[o];
        EXPECT_GE(tally[o], 500u) << "too few variants give " << TEXTS[o];
    }
    EXPECT_EQ(100000u, total);
    EXPECT_LT(elapsed, 30000u) << "ms for all variants";
    // A leaked image is up to 128 KiB, a leaked message some 40 bytes: thousands of failures would show.
    EXPECT_LT(after, before + 1024 * 1024) << "private bytes before " << before << ", after " << after;
    printf("variants: %u in %lu ms; images %u, texts %u/%u/%u/%u/%u; private bytes %lu -> %lu\n", total,
           static_cast<unsigned long>(elapsed), tally[IMAGE], tally[END_OF_DATA], tally[BAD_CHARACTER], tally[BAD_TYPE],
           tally[BAD_ADDRESS], tally[BAD_CHECKSUM], static_cast<unsigned long>(before), static_cast<unsigned long>(after));
}
}
