#include "CompressedFile.h"

#include <windows.h>
#include <lzexpand.h>

#include <climits>

#include "Exception.h"

CompressedFile::CompressedFile(String const& name, unsigned int modus, unsigned int share)
    : File(name, modus), handle(-1)
{
    create(name, modus, share);
}

CompressedFile::CompressedFile(String const& name, unsigned int modus)
    : File(name, modus), handle(-1)
{
    create(name, modus, 0);
}

CompressedFile::~CompressedFile()
{
    if (handle >= 0)
        LZClose(handle);
}

void CompressedFile::create(String const& name, unsigned int modus, unsigned int share)
{
    OFSTRUCT of = {};
    of.cBytes = 136;
    WORD style = translateModus(modus);
    if (share == 1)
        style |= OF_SHARE_DENY_NONE;
    handle = LZOpenFileA(name.getChars(), &of, style);
    if (handle < 0) {
        // LZ32 reports its own error numbers, not the system's, so there is no system text.
        String text = String("Fehler beim Öffnen der Datei: ") + name + ".";
        throw Exception(text);
    }
}

unsigned short CompressedFile::translateModus(unsigned int modus)
{
    return modus == 5 ? (OF_CREATE | OF_READWRITE) : OF_READ;
}

unsigned long CompressedFile::getSize()
{
    LONG position = LZSeek(handle, 0, 1);
    LONG end = LZSeek(handle, 0, 2);
    if (position >= 0)
        LZSeek(handle, position, 0);
    return end < 0 ? 0 : static_cast<unsigned long>(end);
}

unsigned long CompressedFile::read(char* buffer, unsigned long count)
{
    INT wanted = count > static_cast<unsigned long>(INT_MAX) ? INT_MAX : static_cast<INT>(count);
    INT done = LZRead(handle, buffer, wanted);
    return done < 0 ? 0 : static_cast<unsigned long>(done);
}
