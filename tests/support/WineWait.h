#ifndef WINEWAIT_H
#define WINEWAIT_H

// Waiting for a condition while this thread's messages (and with them its timers) are served,
// and the paths of the build as Wine sees them.
#include <windows.h>

#include <functional>
#include <string>

// Polls the condition every 20 ms, pumping this thread's messages, until it holds or time is up.
inline bool waitUntil(std::function<bool()> condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(20);
    }
    return true;
}

// A Unix path of the build ("/a/b") as Wine sees it ("Z:\a\b").
inline std::string windowsPath(std::string const& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

#endif
