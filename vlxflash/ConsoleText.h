#ifndef CONSOLETEXT_H
#define CONSOLETEXT_H

#include <windows.h>

#include <string>

// Writes the program's Windows-1252 texts to standard output or error: as wide text to a
// console window, as UTF-8 to a file or pipe, so umlauts come out right in both.
class ConsoleText
{
public:
    static void out(std::string const& line) { write(STD_OUTPUT_HANDLE, line + "\n"); }
    static void err(std::string const& line) { write(STD_ERROR_HANDLE, line + "\n"); }
    // Windows-1252 to UTF-8.
    static std::string utf8(std::string const& text);

private:
    static void write(DWORD which, std::string const& text);
};

#endif
