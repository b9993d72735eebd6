#ifndef FIRMWARELAYOUT_H
#define FIRMWARELAYOUT_H

#include <stdio.h>

// Where the command station's firmware lies in a firmware image: one cell per device address
// 0x0000 to 0x7FFF. The cells 0x7FFD to 0x7FFF are held like all others but never sent.
namespace FirmwareLayout
{
unsigned short const CELLS = 0x8000;
unsigned short const EMERGENCY_TOP = 0x7FFC;
unsigned short const EMERGENCY_BOTTOM = 0x7000;
unsigned short const NORMAL_TOP = 0x6FFF;
unsigned short const NORMAL_BOTTOM = 0x0000;
unsigned short const VERSION_MAJOR_CELL = 0x7000;
unsigned short const VERSION_MINOR_CELL = 0x7001;

// major * 100 + minor from the cells as stored: an image without version bytes reads 654.35.
inline unsigned short versionOf(unsigned short const* image)
{
    return static_cast<unsigned short>(image[VERSION_MAJOR_CELL] * 100u +
                                       image[VERSION_MINOR_CELL]);
}

// Room for "%u.%02u" of any 16-bit version ("655.35") and its NUL.
unsigned int const VERSION_TEXT_SIZE = 8;

// "1.05" for 105; the same text wherever a version is shown.
inline char* versionText(unsigned short version, char (&text)[VERSION_TEXT_SIZE])
{
    snprintf(text, sizeof text, "%u.%02u", version / 100u, version % 100u);
    return text;
}
}

#endif
