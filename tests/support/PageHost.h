// Pages of the program in the test's own process: a host window to parent them, their controls,
// and boxes answered from a thread of its own (a box of the test's thread holds it in a modal loop).
#ifndef PAGEHOST_H
#define PAGEHOST_H

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Dialog.h"
#include "ErrorText.h"
#include "KrxApp.h"

// What the simulated command station answers when it is told to fail (Win32 1167), and what the
// pages show for that and for a command station that cannot be opened.
long const notConnected = static_cast<long>(0xC000009DL);
std::string const accessText = errorMessage("Fehler beim Zugriff auf den Vlx-Usb-Treiber.", 1167);
std::string const openText = errorMessage("Fehler beim Öffnen des Vlx-Usb-Treibers.",
                                          ERROR_FILE_NOT_FOUND);

// A test's page in a window of its own.
struct PageHost
{
    PageHost()
    {
        InitCommonControls();
        Window::setMainInstance(GetModuleHandleA(nullptr));
    }
    HWND item(int id) { return GetDlgItem(page->getHwnd(), id); }
    std::string text(int id) { return KrxApp::text(item(id)); }
    void click(int id) { SendMessageA(item(id), BM_CLICK, 0, 0); }
    bool checked(int id) { return SendMessageA(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

    Window window{CreateWindowExA(0, "STATIC", "Host", WS_POPUP | WS_VISIBLE, 0, 0, 700, 400,
                                  nullptr, nullptr, nullptr, nullptr),
                  nullptr};
    std::unique_ptr<Dialog> page; // destroyed before its parent
};

// What a test saw, in order: "caption: text" of each message box answered, and what the test
// notes itself (from any thread).
typedef std::vector<std::string> Seen;
inline std::mutex seenLock;
inline Seen seen;
inline void note(std::string const& entry)
{
    std::lock_guard<std::mutex> guard(seenLock);
    seen.push_back(entry);
}

// A window to answer: the first visible dialog of this process with this caption whose control
// `button` is enabled. `before` runs first, on the answering thread; a box not pressed stays
// open and ends the answering.
struct Answer
{
    std::string caption;
    int button = IDOK;
    std::function<void()> before = nullptr;
    bool press = true;
};

// The dialog described above; caption null: any caption.
inline HWND findDialog(char const* caption, int button)
{
    for (HWND w : KrxApp::topWindows(GetCurrentProcessId(), "#32770", caption))
        if (IsWindowEnabled(GetDlgItem(w, button)))
            return w;
    return nullptr;
}

// Runs action, serving this thread's messages, while a thread of its own answers the boxes in
// order (each waited for, also after action has returned, up to 2 minutes), then any other one as
// "unexpected" until action has returned, so that a wrong box ends the test instead of holding it.
inline Seen answerBoxes(std::vector<Answer> const& answers, std::function<void()> action)
{
    seen.clear();
    std::atomic<bool> over{false}, done{false};
    std::thread answering([&] {
        for (size_t i = 0; !over || i < answers.size(); ++i) {
            bool const expected = i < answers.size();
            Answer const a = expected ? answers[i] : Answer{};
            char const* caption = expected ? a.caption.c_str() : nullptr;
            HWND w = nullptr;
            waitUntil([&] { return (w = findDialog(caption, a.button)) || (over && !expected); },
                      120000);
            if (!w && expected)
                note("missing " + a.caption);
            if (!w)
                continue;
            if (a.before)
                a.before();
            if (GetDlgItem(w, 0xFFFF) != nullptr) // a message box's text
                note((expected ? "" : "unexpected ") + KrxApp::text(w) + ": " +
                     KrxApp::messageBoxText(w));
            if (!a.press)
                break;
            PostMessageA(w, WM_COMMAND, a.button, 0);
            waitUntil([&] { return !IsWindowVisible(w); }, 10000);
        }
        done = true;
    });
    action();
    over = true;
    // The answering thread may still send to this thread's windows, and a box that a worker asks
    // this thread to show comes only while its messages are served.
    waitUntil([&] { return done.load(); }, INFINITE);
    answering.join();
    std::lock_guard<std::mutex> guard(seenLock);
    return seen;
}

#endif
