// Pages of the program in the test's own process: a host window to parent them, and message
// boxes answered from a thread of its own (a box of the test's thread holds it in a modal loop).
#ifndef PAGEHOST_H
#define PAGEHOST_H

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "KrxApp.h"
#include "Window.h"

struct PageHost
{
    PageHost() { InitCommonControls(); Window::setMainInstance(GetModuleHandleA(nullptr)); }
    Window window{CreateWindowExA(0, "STATIC", "Host", WS_POPUP | WS_VISIBLE, 0, 0, 700, 400,
                                  nullptr, nullptr, nullptr, nullptr), nullptr};
};

// Runs action, serving this thread's messages, until a box of this process with that caption
// has come (at most 10 s); presses its OK unless press is false. Its text, "" when none came.
inline std::string answerBox(std::string const& caption, std::function<void()> action,
                             bool press = true, HWND* box = nullptr)
{
    std::atomic<HWND> found{nullptr};
    std::atomic<bool> done{false};
    std::string text;
    std::thread watcher([&] {
        for (DWORD start = GetTickCount(); !found && GetTickCount() - start < 10000; Sleep(20)) {
            HWND w = FindWindowA("#32770", caption.c_str());
            DWORD pid = 0;
            if (w && GetWindowThreadProcessId(w, &pid) && pid == GetCurrentProcessId()) {
                text = KrxApp::text(GetDlgItem(w, 0xFFFF));
                if (press)
                    PostMessageA(w, WM_COMMAND, IDOK, 0);
                found = w;
            }
        }
        done = true;
    });
    action();
    waitUntil([&] { return done.load(); }, 11000);
    watcher.join();
    if (box)
        *box = found;
    return text;
}

#endif
