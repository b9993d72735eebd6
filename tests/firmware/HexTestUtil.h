// Helpers of the firmware tests: parse results as values, the built-in text.
#ifndef HEXTESTUTIL_H
#define HEXTESTUTIL_H

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Exception.h"
#include "HexRecord.h"
#include "IntelHexData.h"
#include "resource.h"

unsigned short const EMPTY = 0xFFFF;
unsigned short const FULL_IMAGE = 0x8000;
using Cells = std::vector<unsigned short>;

// The outcome of one parse: the image, or the text of the Exception.
struct ParseResult
{
    std::string error;
    Cells cells;
    bool ok() const { return error.empty(); }
};

inline ParseResult parseHex(IntelHexData& hex, unsigned short cellCount = FULL_IMAGE)
{
    ParseResult result;
    try {
        std::unique_ptr<unsigned short[]> image(hex.parse(cellCount));
        result.cells.assign(image.get(), image.get() + cellCount);
    } catch (Exception& e) {
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
inline Cells imageWith(unsigned int address, std::string const& bytes)
{
    Cells cells(FULL_IMAGE, EMPTY);
    for (size_t i = 0; i < bytes.size(); i++)
        cells[address + i] = static_cast<unsigned char>(bytes[i]);
    return cells;
}

// The built-in text exactly as the program carries it, read past the class under test.
inline std::string builtInText()
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(IDR_FIRMWARE), "INTELHEX");
    return resource
        ? std::string(static_cast<char const*>(LockResource(LoadResource(module, resource))),
                      SizeofResource(module, resource))
        : std::string();
}
#endif
