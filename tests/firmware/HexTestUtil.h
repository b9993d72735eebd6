// Helpers of the firmware tests: Intel HEX records built from bytes, parse results as plain
// values that gtest can compare and print, and the folder of the test program.
#ifndef HEXTESTUTIL_H
#define HEXTESTUTIL_H

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Exception.h"
#include "IntelHexData.h"

unsigned short const EMPTY = 0xFFFF;
unsigned short const FULL_IMAGE = 0x8000;

// One record with its correct checksum, upper-case digits, no line end.
inline std::string hexRecord(unsigned int address, unsigned int type, std::vector<unsigned char> const& bytes)
{
    std::vector<unsigned char> body = {static_cast<unsigned char>(bytes.size()),
                                       static_cast<unsigned char>(address >> 8),
                                       static_cast<unsigned char>(address & 0xFF), static_cast<unsigned char>(type)};
    body.insert(body.end(), bytes.begin(), bytes.end());
    unsigned int sum = 0;
    std::string text = ":";
    char pair[3];
    for (unsigned char b : body)
    {
        sum += b;
        snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
    }
    snprintf(pair, sizeof pair, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return text + pair;
}

inline std::string const& endRecord()
{
    static std::string const text = ":00000001FF";
    return text;
}

// The outcome of one parse: the image, or the text of the Exception.
struct ParseResult
{
    std::string error;
    std::vector<unsigned short> cells;

    bool ok() const { return error.empty(); }
};

inline ParseResult parseHex(IntelHexData& hex, unsigned short cellCount)
{
    ParseResult result;
    try
    {
        unsigned short* image = hex.parse(cellCount);
        result.cells.assign(image, image + cellCount);
        delete[] image;
    }
    catch (Exception& e)
    {
        result.error = e.what();
    }
    return result;
}

inline ParseResult parseText(std::string const& text, unsigned short cellCount = FULL_IMAGE)
{
    IntelHexData hex(text.data(), static_cast<unsigned int>(text.size()));
    return parseHex(hex, cellCount);
}

// An image with the given bytes from `address` on and every other cell empty.
inline std::vector<unsigned short> imageWith(unsigned short cellCount, unsigned int address,
                                             std::string const& bytes)
{
    std::vector<unsigned short> cells(cellCount, EMPTY);
    for (size_t i = 0; i < bytes.size(); i++)
        cells[address + i] = static_cast<unsigned char>(bytes[i]);
    return cells;
}

// Folder of the running test program, with a trailing backslash.
inline std::string programFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// The index of the first cell where two images differ, or -1; for readable failures.
inline long firstDifference(std::vector<unsigned short> const& a, std::vector<unsigned short> const& b)
{
    if (a.size() != b.size())
        return static_cast<long>(a.size() < b.size() ? a.size() : b.size());
    for (size_t i = 0; i < a.size(); i++)
        if (a[i] != b[i])
            return static_cast<long>(i);
    return -1;
}

#endif
