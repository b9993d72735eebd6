#ifndef KRXAPP_H
#define KRXAPP_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Drives the real VelmoraKrx40.exe from a test, as a person would, across process bounds under
// Wine (what works there is in DESIGN.md, "Tests"). Every wait has a limit: a call that waits
// returns null/false/-1 when its time is up, so the test fails instead of hanging.
//
// Texts are Windows-1252 bytes, as the program's own literals (the tests are compiled with
// -fexec-charset=CP1252 too, so "Gerätenummer" compares directly).
//
//   KrxApp app;
//   ASSERT_TRUE(app.start("-s"));                 // program path from KRX_PROGRAM_PATH
//   HWND main = app.mainWindow();                 // waits for class "Velmora KRX-40 MainKlasse"
//   HWND list = app.mainControl(1002);            // control of the main dialog
//   app.comboTexts(list);                         // {"1", "3"}
//   app.tabTexts();                               // {"Info", "Gerätenummer", ...}
//   app.selectTab(2);                             // mouse click on the tab's rectangle
//   HWND page = app.page();                       // the visible page dialog, or null
//   app.press(app.mainControl(1003));             // BM_CLICK, posted: never blocks the test
//   HWND box = app.waitDialog("Fehler");          // top-level dialog of the program by caption
//   KrxApp::messageBoxText(box); app.press(GetDlgItem(box, IDOK));
//   app.screenshot(main, "name");                 // BMP under KRX_ARTEFACTS/screenshots
//   EXPECT_EQ(0, app.close());                    // WM_CLOSE, waits, exit code
class KrxApp
{
public:
    KrxApp();
    // Ends the program if it is still running (TerminateProcess after a polite WM_CLOSE).
    ~KrxApp();
    KrxApp(KrxApp const&) = delete;
    KrxApp& operator=(KrxApp const&) = delete;

    // Starts the program with this text as its command line (what WinMain receives).
    bool start(std::string const& arguments = std::string());
    // As start, for any program (used by the benchmark for a reference program).
    bool startProgram(std::string const& windowsPath, std::string const& arguments);
    DWORD processId() const { return process.dwProcessId; }
    HANDLE processHandle() const { return process.hProcess; }
    bool isRunning();

    // The main window, once it exists and is visible.
    HWND mainWindow(DWORD timeoutMs = 20000);
    // The main dialog (the #32770 child of the main window).
    HWND mainDialog(DWORD timeoutMs = 20000);
    HWND mainControl(int id, DWORD timeoutMs = 20000);
    // The visible page dialog inside the tab control, or null (no wait).
    HWND page();
    // Waits for a visible page that has a control with this id.
    HWND waitPage(int controlId, DWORD timeoutMs = 10000);

    // A visible top-level dialog (#32770) of the program with this caption, or null.
    HWND findDialog(std::string const& caption);
    HWND waitDialog(std::string const& caption, DWORD timeoutMs = 10000);
    // Every visible top-level dialog of the program (message boxes, progress dialog).
    std::vector<HWND> dialogs();
    // The text of a message box (its static control 0xFFFF).
    static std::string messageBoxText(HWND box);

    // Tabs of the main dialog's tab control.
    int tabCount();
    int selectedTab();
    std::vector<std::string> tabTexts();
    bool tabRect(int index, RECT* rect);
    // Clicks the middle of the tab's rectangle; the tab control sends its own notifications.
    bool selectTab(int index);
    bool selectTab(std::string const& text);

    // Combo box entries through the W messages (the A forms lose all but one character
    // across processes); converted to Windows-1252.
    static std::vector<std::string> comboTexts(HWND combo);
    static int comboSelection(HWND combo);
    // Selects an entry and tells the parent with CBN_SELCHANGE, as a pick with the mouse does.
    static bool pickCombo(HWND combo, int index);

    static std::string text(HWND window);
    // Posted BM_CLICK: a button that opens a modal dialog must not block the test.
    static bool press(HWND button);
    // Sends one WM_CHAR per byte (edits get EN_UPDATE/EN_CHANGE as if typed).
    static void type(HWND edit, std::string const& bytes);
    // Depth-first search below root for a control with this id (and class, when given).
    static HWND findChild(HWND root, int id, char const* className = nullptr);
    static std::string className(HWND window);
    // True when the window's process answers a message within the time.
    static bool responsive(HWND window, DWORD timeoutMs = 2000);

    // Saves the window's area of the screen as a 24-bit BMP under KRX_ARTEFACTS/screenshots;
    // returns the file's path, or an empty string.
    std::string screenshot(HWND window, std::string const& name);

    // Closes the main window and waits; returns the exit code, or -1 when the program did not
    // end in time (it is then terminated).
    long close(DWORD timeoutMs = 15000);
    // Waits for the process to end by itself; the exit code, or -1 on time-out.
    long waitExit(DWORD timeoutMs);

private:
    PROCESS_INFORMATION process;
};

// Polls the condition every 20 ms, pumping this thread's messages, until it holds or the time
// is up.
bool waitUntil(std::function<bool()> condition, DWORD timeoutMs);

// A Unix path of the build ("/a/b") as Wine sees it ("Z:\a\b").
std::string windowsPath(std::string const& unixPath);

#endif
