#ifndef KRXAPP_H
#define KRXAPP_H

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "WineWait.h"

// Drives the real VelmoraKrx40.exe from a test, as a person would, across process bounds under
// Wine (what works there is in DESIGN.md, "Tests"). Every wait has a limit: a call that waits
// returns null/false/-1 when its time is up, so the test fails instead of hanging. Texts are
// Windows-1252 bytes, as the program's own literals (the tests use -fexec-charset=CP1252 too).
class KrxApp
{
public:
    // mainWindowClass names the program's main window: the service program's by default, the
    // control gallery's ("ControlGallery MainKlasse") for the gallery.
    explicit KrxApp(std::string mainWindowClass = "Velmora KRX-40 MainKlasse")
        : mainClass(std::move(mainWindowClass)), process()
    {
    }
    // Ends the program if it still runs (TerminateProcess after a polite WM_CLOSE).
    ~KrxApp();
    KrxApp(KrxApp const&) = delete;
    KrxApp& operator=(KrxApp const&) = delete;

    // Starts the program (KRX_PROGRAM_PATH) with this command line; startProgram any program.
    bool start(std::string const& arguments = std::string());
    bool startProgram(std::string const& windowsPath, std::string const& arguments);

    // Visible top-level windows of a process with this class and caption (null: any). The caption
    // is compared here, byte for byte: FindWindowEx ignores its case.
    static std::vector<HWND> topWindows(DWORD processId, char const* className,
                                        char const* caption);
    // A visible top-level window of the program with this class (popup menus, tooltips), or null.
    HWND shownWindow(char const* className);
    // The visible main window, and a control of its main dialog (its #32770 child).
    HWND mainWindow(DWORD timeoutMs = 20000);
    HWND mainControl(int id, DWORD timeoutMs = 20000);
    // The visible page dialog inside the tab control, or null; waitPage waits for one that has a
    // control with this id.
    HWND page();
    HWND waitPage(int controlId, DWORD timeoutMs = 10000);

    // Visible top-level dialogs (#32770) of the program: all, or the first with this caption
    // that has the control withControl (0: any).
    std::vector<HWND> dialogs();
    HWND findDialog(std::string const& caption, int withControl = 0);
    HWND waitDialog(std::string const& caption, DWORD timeoutMs = 10000, int withControl = 0);
    // The text of a message box (its static control 0xFFFF).
    static std::string messageBoxText(HWND box);

    // Posted TCM_SETCURFOCUS: the tab control notifies its parent as after a click (a sent one
    // would block the test while the program shows a box on the way). The tabs' texts are the
    // main dialog's in-process test's matter; callers wait for the page by one of its controls.
    bool selectTab(int index);

    // Combo entries through the W messages (the A forms lose all but one character across
    // processes).
    static std::vector<std::string> comboTexts(HWND combo);
    static std::vector<std::string> listTexts(HWND list); // list box lines, also through W

    static std::string text(HWND window);
    // Posted BM_CLICK: a button that opens a modal dialog must not block the test.
    static bool press(HWND button);
    // One WM_CHAR per byte (edits get EN_UPDATE/EN_CHANGE as if typed).
    static void type(HWND edit, std::string const& bytes);
    // Depth-first search below root for a control with this id.
    static HWND findChild(HWND root, int id);
    static std::string className(HWND window);

    // Saves the window's area of the screen as a 24-bit BMP under KRX_ARTEFACTS/screenshots;
    // returns the file's path, or "" (also when the capture is of one colour only: blank).
    std::string screenshot(HWND window, std::string const& name);

    // WM_CLOSE to the main window (or waitExit: none); the exit code, or -1 when the program did
    // not end in time (close then terminates it).
    long close(DWORD timeoutMs = 15000);
    long waitExit(DWORD timeoutMs);

private:
    bool isRunning();
    HWND tabs() { return mainControl(1004, 0); }
    // Waits until find returns a window or the program has ended; the window, or null.
    HWND waitFor(std::function<HWND()> find, DWORD timeoutMs);
    static std::vector<std::string> itemTexts(HWND box, UINT countMsg, UINT lengthMsg,
                                              UINT textMsg);
    std::string mainClass;
    PROCESS_INFORMATION process;
};

#endif
