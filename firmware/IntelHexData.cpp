#include "IntelHexData.h"

#include <memory>

#include "Exception.h"
#include "Win32Exception.h"
#include "Win32File.h"

namespace
{
unsigned short const EMPTY_CELL = 0xFFFF;
unsigned char const RECORD_DATA = 0x00;
unsigned char const RECORD_END = 0x01;
}

IntelHexData::IntelHexData(String const& fileName)
{
    Win32File file(fileName, 3, 0, false);
    // Cleared first, the last error tells a failed size query from a file of 4 GiB - 1 bytes.
    SetLastError(ERROR_SUCCESS);
    unsigned long size = file.getSize();
    DWORD error = GetLastError();
    if (size == INVALID_FILE_SIZE && error != ERROR_SUCCESS) {
        String text = String("Fehler beim Lesen der Datei: ") + fileName + ".";
        throw Win32Exception(text, error);
    }
    data.resize(size);
    // The count read is not examined: what a short read leaves unread stays 0, which the parser
    // refuses, instead of memory that was never written.
    if (size > 0)
        file.read(data.data(), size);
}

IntelHexData::IntelHexData(HINSTANCE module, int resourceId)
{
    // The type is stored as "INTELHEX"; FindResource compares type names without case.
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "Intelhex");
    if (resource == nullptr)
        return;
    DWORD length = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    void const* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr || length == 0)
        return;
    auto const* first = static_cast<char const*>(bytes);
    data.assign(first, first + length);
}

IntelHexData::IntelHexData(char const* text, unsigned int length) : data(text, text + length)
{
}

IntelHexData::~IntelHexData()
{
}

unsigned char IntelHexData::nextChar()
{
    if (position >= data.size())
        throw Exception("Unerwartetes Datenende.");
    return static_cast<unsigned char>(data[position++]);
}

unsigned char IntelHexData::readHexDigit()
{
    unsigned char c = nextChar();
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    throw Exception("Ungültiges Zeichen gefunden.");
}

unsigned char IntelHexData::readByte()
{
    unsigned char high = readHexDigit();
    unsigned char value = static_cast<unsigned char>(high << 4 | readHexDigit());
    checksum += value;
    return value;
}

unsigned short IntelHexData::readWord()
{
    unsigned short high = readByte();
    return static_cast<unsigned short>(high << 8 | readByte());
}

unsigned short* IntelHexData::parse(unsigned short cellCount)
{
    // Released by the unique_ptr if a record fails; handed over only when the text is complete.
    std::unique_ptr<unsigned short[]> image(new unsigned short[cellCount]);
    for (unsigned int i = 0; i < cellCount; i++)
        image[i] = EMPTY_CELL;
    position = 0;

    bool end = false;
    while (!end) {
        while (nextChar() != ':')
            ;
        checksum = 0;
        unsigned char count = readByte();
        unsigned int address = readWord();
        unsigned char type = readByte();
        if (type != RECORD_DATA && type != RECORD_END)
            throw Exception("Ungültiger Recordtyp.");
        for (unsigned int i = 0; i < count; i++) {
            unsigned char value = readByte();
            // No 16-bit wrap: a record running past 0xFFFF is outside every image.
            unsigned int cell = address + i;
            if (cell >= cellCount)
                throw Exception("Daten in ungültigen Adressraum.");
            image[cell] = value;
        }
        if (type == RECORD_END)
            end = true;
        unsigned char expected = static_cast<unsigned char>(0x100 - (checksum & 0xFF));
        if (readByte() != expected)
            throw Exception("Ungültige Prüfsumme.");
    }
    return image.release();
}
