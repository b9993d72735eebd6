#include "ConsoleText.h"

#include <vector>

namespace
{
std::wstring wide(std::string const& text)
{
    if (text.empty())
        return std::wstring();
    int n = MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), &result[0], n);
    return result;
}
}

std::string ConsoleText::utf8(std::string const& text)
{
    std::wstring w = wide(text);
    if (w.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string result(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &result[0], n,
                            nullptr, nullptr);
    return result;
}

void ConsoleText::write(DWORD which, std::string const& text)
{
    HANDLE handle = GetStdHandle(which);
    if (handle == NULL || handle == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(handle, &mode)) {
        std::wstring w = wide(text);
        WriteConsoleW(handle, w.data(), static_cast<DWORD>(w.size()), &written, nullptr);
    } else {
        std::string bytes = utf8(text);
        WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}
