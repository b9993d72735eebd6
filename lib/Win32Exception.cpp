#include "Win32Exception.h"

#include <windows.h>

// The last error is read as the argument of the delegated constructor, before copying the text
// can allocate and change it.
Win32Exception::Win32Exception(String& text) : Win32Exception(text, GetLastError())
{
}

Win32Exception::Win32Exception(char const* text) : Win32Exception(text, GetLastError())
{
}

Win32Exception::Win32Exception(String& text, unsigned long code) : Exception(text), code(code)
{
    init();
}

Win32Exception::Win32Exception(char const* text, unsigned long code) : Exception(text), code(code)
{
    init();
}

Win32Exception::Win32Exception(Win32Exception const& other) : Exception(other), code(other.code)
{
}

Win32Exception& Win32Exception::operator=(Win32Exception const& other)
{
    Exception::operator=(other);
    code = other.code;
    return *this;
}

Win32Exception::~Win32Exception()
{
}

unsigned long Win32Exception::getCode() const
{
    return code;
}

void Win32Exception::init()
{
    if (code == 0)
        return;
    char* description = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                             static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<char*>(&description), 0, nullptr);
    message += "\n";
    if (n != 0 && description)
        message += description;
    message += String("(Fehlercode: ") + String(static_cast<unsigned int>(code)) + ")";
    if (description)
        LocalFree(description);
}
