// Parse throughput of IntelHexData for the built-in image and for a text that fills all 65535
// cells, and the cost of refusing a text. Writes both texts into FOLDER so that the script can
// time srec_cat on exactly the same bytes.
//
// Usage: firmware_bench FOLDER [seconds-per-case]

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../BenchClock.h"
#include "Exception.h"
#include "IntelHexData.h"
#include "resource.h"

namespace
{
using bench::now;

std::string record(unsigned int address, unsigned int type, unsigned char const* bytes,
                   unsigned int count)
{
    char text[64];
    unsigned int sum = count + (address >> 8) + (address & 0xFF) + type;
    int n = snprintf(text, sizeof text, ":%02X%04X%02X", count, address, type);
    for (unsigned int i = 0; i < count; i++) {
        n += snprintf(text + n, sizeof text - n, "%02X", bytes[i]);
        sum += bytes[i];
    }
    snprintf(text + n, sizeof text - n, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
    return text;
}

// 16-byte records from 0x0000 to 0xFFFE: every cell of a 65535-cell image.
std::string fullText()
{
    std::string text;
    unsigned char bytes[16];
    unsigned int seed = 12345;
    for (unsigned int address = 0; address < 0xFFFF; address += 16) {
        unsigned int count = address == 0xFFF0 ? 15 : 16;
        for (unsigned int i = 0; i < count; i++)
            bytes[i] = static_cast<unsigned char>((seed = seed * 1103515245 + 12345) >> 16);
        text += record(address, 0, bytes, count);
    }
    return text + ":00000001FF";
}

std::string builtInText()
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(IDR_FIRMWARE), "INTELHEX");
    if (!resource)
        return std::string();
    return std::string(static_cast<char const*>(LockResource(LoadResource(module, resource))),
                       SizeofResource(module, resource));
}

bool save(std::string const& path, std::string const& text)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

// Parses again and again for about `seconds`; prints MB/s of text and the time of one parse.
void measure(char const* name, std::string const& text, unsigned short cells, double seconds)
{
    IntelHexData hex(text.data(), static_cast<unsigned int>(text.size()));
    unsigned long runs = 0;
    std::string outcome = "image";
    double start = now(), elapsed = 0;
    do {
        try {
            delete[] hex.parse(cells);
        } catch (Exception& e) {
            outcome = e.what();
        }
        runs++;
        elapsed = now() - start;
    } while (elapsed < seconds);
    double perParse = elapsed / runs;
    printf("%-28s %8zu bytes %6lu parses %9.1f us/parse %8.1f MB/s  (%s)\n", name, text.size(),
           runs, perParse * 1e6, text.size() / perParse / 1e6, outcome.c_str());
}

// Keeps the compiler from folding the allocation below away.
unsigned short* volatile lastImage;

// What every parse pays before it reads a byte: the image, allocated, emptied and released.
void imageOnly(unsigned short cells, double seconds)
{
    unsigned long runs = 0, sum = 0;
    double start = now(), elapsed = 0;
    do {
        lastImage = new unsigned short[cells];
        unsigned short* image = lastImage;
        for (unsigned int i = 0; i < cells; i++)
            image[i] = 0xFFFF;
        sum += image[runs % cells];
        delete[] lastImage;
        runs++;
        elapsed = now() - start;
    } while (elapsed < seconds);
    printf("image of %5u cells only     %6lu times %9.1f us each (%lu)\n", cells, runs,
           elapsed / runs * 1e6, sum & 1);
}
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: firmware_bench FOLDER [seconds-per-case]\n");
        return 2;
    }
    std::string folder = argv[1];
    double seconds = argc > 2 ? atof(argv[2]) : 2.0;
    std::string builtIn = builtInText();
    std::string full = fullText();
    if (builtIn.empty() || !save(folder + "\\builtin.hex", builtIn) ||
        !save(folder + "\\full.hex", full)) {
        fprintf(stderr, "cannot write the texts into %s\n", folder.c_str());
        return 1;
    }
    // The same full text, refused at its last record: the whole pass plus one exception.
    std::string refused = full;
    refused[refused.size() - 1] = 'E';
    std::string early = ":0400000300001234B3\r\n" + full;

    measure("built-in image (32768)", builtIn, 0x8000, seconds);
    measure("full text (65535)", full, 0xFFFF, seconds);
    measure("full text, bad end record", refused, 0xFFFF, seconds);
    measure("refused at first record", early, 0xFFFF, seconds);
    imageOnly(0x8000, seconds);
    imageOnly(0xFFFF, seconds);
    return 0;
}
