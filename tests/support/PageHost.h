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
    PageHost()
    {
        InitCommonControls();
        Window::setMainInstance(GetModuleHandleA(nullptr));
    }
    Window window{CreateWindowExA(0, "STATIC", "Host", WS_POPUP | WS_VISIBLE, 0, 0, 700, 400,
                                  nullptr, nullptr, nullptr, nullptr),
                  nullptr};
};

// Runs action, serving this thread's messages, until a box of this process with that caption
// has come (at most 10 s); presses its OK unless press is false. Its text, "" when none came.
inline std::string answerBox(std::string const& caption, std::function<void()> action,
                             bool press = true, HWND* box = nullptr)
{
    HWND found = nullptr;
    std::string text;
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        waitUntil(
            [&] {
                HWND w = FindWindowA("#32770", caption.c_str());
                DWORD pid = 0;
                return w && GetWindowThreadProcessId(w, &pid) && pid == GetCurrentProcessId() &&
                    (found = w) != nullptr;
            },
            10000);
        if (found != nullptr) {
            text = KrxApp::messageBoxText(found);
            if (press)
                PostMessageA(found, WM_COMMAND, IDOK, 0);
        }
        done = true;
    });
    action();
    // A box that a worker asks this thread to show comes only while its messages are served.
    waitUntil([&] { return done.load(); }, 11000);
    watcher.join();
    if (box)
        *box = found;
    return text;
}

#endif
