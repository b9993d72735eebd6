// The texts of Win32 errors as the program shows them, built from the system's own description,
// and the text a call throws.
#ifndef ERRORTEXT_H
#define ERRORTEXT_H

#include <windows.h>

#include <string>

#include "Win32Exception.h"

// A Win32Exception's text: the program's text, a line break, the system's description of the
// code on this machine, "(Fehlercode: N)".
inline std::string errorMessage(std::string const& text, DWORD code)
{
    char* system = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&system), 0,
                   nullptr);
    std::string result = text + "\n" + (system ? system : "") +
        "(Fehlercode: " + std::to_string(code) + ")";
    LocalFree(system);
    return result;
}

// The text of the Win32Exception f throws, "" when it throws none; its code into *code.
template <class F>
std::string thrownText(F f, unsigned long* code = nullptr)
{
    try {
        f();
    } catch (Win32Exception& e) {
        if (code)
            *code = e.getCode();
        return e.what();
    }
    return "";
}

#endif
