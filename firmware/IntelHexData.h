#ifndef INTELHEXDATA_H
#define INTELHEXDATA_H

#include <windows.h>

#include <vector>

#include "String.h"

// Intel HEX text held in memory (records 00 and 01 only), turned on demand into a firmware
// image: one 16-bit cell per device address, a byte (0x0000 to 0x00FF) or 0xFFFF for no data.
// Readers treat every cell with bit 15 set as empty.
class IntelHexData
{
public:
    // Reads the whole file: open existing, no sharing, read only. A file that cannot be opened
    // throws the Win32Exception of Win32File; one that delivers fewer bytes than its size
    // throws Win32Exception "Fehler beim Lesen der Datei: <name>.".
    IntelHexData(String const& fileName);
    // Copies resource type "INTELHEX" with this id; a missing resource gives an empty text.
    IntelHexData(HINSTANCE module, int resourceId);
    // Copies a text already in memory.
    IntelHexData(char const* text, unsigned int length);
    ~IntelHexData();

    // A new image of cellCount cells, owned by the caller (delete[]). Throws an Exception with
    // one of the reader's texts; the object stays usable and the next parse starts afresh.
    unsigned short* parse(unsigned short cellCount);

private:
    IntelHexData(IntelHexData const&) = delete;
    IntelHexData& operator=(IntelHexData const&) = delete;

    unsigned char nextChar();
    unsigned char readHexDigit();
    unsigned char readByte();
    unsigned short readWord();

    std::vector<char> data;
    unsigned int position;
    unsigned int checksum;
};

#endif
