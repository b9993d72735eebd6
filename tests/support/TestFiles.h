#ifndef TESTFILES_H
#define TESTFILES_H

// Scratch files written and read with plain Win32 calls (not the classes under test).
#include <windows.h>

#include <string>

inline std::string scratchPath(char const* stem)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + stem + "_" + std::to_string(GetCurrentProcessId()) + ".tmp";
}

// The whole file, opened so that any other holder may keep reading and writing it.
inline std::string readWholeFile(std::string const& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<cannot open " + path + ">";
    std::string content;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0)
        content.append(buffer, n);
    CloseHandle(h);
    return content;
}

inline void writeWholeFile(std::string const& path, std::string const& content)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &n, nullptr);
    CloseHandle(h);
}

#endif
