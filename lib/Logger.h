#ifndef LOGGER_H
#define LOGGER_H

#include "LibApi.h"
#include "String.h"

class Win32File;

// Appends time-stamped lines to c:\<name>.log; every line is flushed at once, so the file is
// complete even when the program ends abruptly. Others may read the file while it is open,
// not write it, so a second Logger of the same name fails. Callers serialise log() themselves.
class LIBAPI Logger
{
public:
    // Throws the Win32Exception of Win32File when the file cannot be opened.
    Logger(String name);
    // A copy writes through a duplicate of the same file handle.
    Logger(Logger const& other);
    Logger& operator=(Logger const& other);
    virtual ~Logger();

    // Writes "YYYY.MM.DD hh:mm:ss mmm " (local time), the text unchanged and CR LF.
    void log(String text);

private:
    Win32File* file;
};

#endif
