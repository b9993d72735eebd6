// The pages "Update" and "Info" and the dialog "Firmwareupdate" in this process against the
// simulated command station: versions, questions, the update's steps, and every failure's box.
// Which payloads an update sends is tested with the engine (tests/firmware).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "ErrorText.h"
#include "HexRecord.h"
#include "InfoPage.h"
#include "PageHost.h"
#include "ProgramSettings.h"
#include "SimClient.h"
#include "TestFiles.h"
#include "UpdatePage.h"
#include "VlxUsbCodes.h"
#include "resource.h"

namespace
{
long const notConnected = static_cast<long>(0xC000009DL); // Win32 1167
std::string const accessText = errorMessage("Fehler beim Zugriff auf den Vlx-Usb-Treiber.", 1167);
std::string const openText = errorMessage("Fehler beim Öffnen des Vlx-Usb-Treibers.",
                                          ERROR_FILE_NOT_FOUND);
char const* const INIT = "Initialisiere das Update.";
char const* const EMERG = "Schreibe neue Firmware für den Notbetrieb.";
char const* const FAILED = "Firmwareupdate nicht erfolgreich.";
typedef std::vector<std::string> Log;
Log operator+(Log a, Log const& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
// How every run that writes the normal part ends.
Log const NORMAL_PART = {
    "Schreibe neue Firmware für den Normalbetrieb.", "#3", "Reset der Firmware.", "#4",
    "Firmwareupdate erfolgreich abgeschlossen.",     "OK"};

// The firmware file every page loads: a few code bytes and, unless major is negative, the
// version at 0x7000.
std::string const file = scratchPath("update-image");
void setImage(int major, int minor)
{
    std::string text = hexRecord(0, 0, "\x02\x0B\x33") + "\r\n";
    if (major >= 0)
        text += hexRecord(0x7000, 0, std::string{char(major), char(minor)}) + "\r\n";
    writeWholeFile(file, text + END_RECORD + "\r\n");
    strcpy(ProgramSettings::firmwareFilePath, file.c_str());
}

// What a test saw, in order: the dialog's status texts and bar positions ("#n"), "OK" when its
// OK button is enabled (recorded on this thread as they arrive), and "caption: text" of each
// box answered.
std::mutex logLock;
Log seen;
void note(std::string const& entry)
{
    std::lock_guard<std::mutex> guard(logLock);
    seen.push_back(entry);
}

LRESULT CALLBACK recordProgress(int code, WPARAM wParam, LPARAM lParam)
{
    CWPSTRUCT const& m = *reinterpret_cast<CWPSTRUCT*>(lParam);
    bool inDialog = GetDlgItem(GetParent(m.hwnd), IDC_PROGRESS_BAR) != nullptr;
    int id = GetDlgCtrlID(m.hwnd);
    if (m.message == WM_SETTEXT && inDialog && id == IDC_PROGRESS_STATUS)
        note(reinterpret_cast<char const*>(m.lParam));
    else if (m.message == PBM_SETPOS && id == IDC_PROGRESS_BAR)
        note("#" + std::to_string(m.wParam));
    else if (m.message == WM_ENABLE && m.wParam && inDialog && id == IDOK)
        note("OK");
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A window to answer: the first visible dialog of this process with this caption whose control
// `button` is enabled; `before` runs first, on the answering thread.
struct Answer
{
    std::string caption;
    int button;
    std::function<void()> before = nullptr;
};

HWND findDialog(char const* caption, int button)
{
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", caption)) != nullptr;) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        HWND control = GetDlgItem(w, button);
        if (pid == GetCurrentProcessId() && IsWindowVisible(w) && control &&
            IsWindowEnabled(control))
            return w;
    }
    return nullptr;
}

// Runs action while a thread of its own answers the boxes in order, then any other one as
// "unexpected" (so that a wrong box ends the test instead of holding it); what was seen.
Log run(std::vector<Answer> const& answers, std::function<void()> action)
{
    seen.clear();
    std::atomic<bool> over{false}, done{false};
    std::thread answering([&] {
        for (size_t i = 0; !over || i < answers.size(); ++i) {
            Answer const a = i < answers.size() ? answers[i] : Answer{"", IDOK, nullptr};
            char const* caption = a.caption.empty() ? nullptr : a.caption.c_str();
            HWND w = nullptr;
            waitUntil([&] { return (w = findDialog(caption, a.button)) || over; }, 120000);
            if (!w) {
                if (caption)
                    note("missing " + a.caption);
                continue;
            }
            // The dialog "Firmwareupdate" ignores cancel, and OK while it is disabled.
            HWND progress = findDialog("Firmwareupdate", IDC_PROGRESS_BAR);
            if (progress != nullptr) {
                SendMessageA(progress, WM_COMMAND, IDCANCEL, 0);
                if (!IsWindowEnabled(GetDlgItem(progress, IDOK)))
                    SendMessageA(progress, WM_COMMAND, IDOK, 0);
                if (!IsWindowVisible(progress))
                    note("a command closed the dialog");
            }
            if (a.before)
                a.before();
            if (GetDlgItem(w, IDC_PROGRESS_BAR) == nullptr)
                note((caption ? "" : "unexpected ") + KrxApp::text(w) + ": " +
                     KrxApp::messageBoxText(w));
            PostMessageA(w, WM_COMMAND, a.button, 0);
            waitUntil([&] { return !IsWindowVisible(w); }, 10000);
        }
        done = true;
    });
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, recordProgress, nullptr, GetCurrentThreadId());
    action();
    UnhookWindowsHookEx(hook);
    over = true;
    // The answering thread may still send to this thread's windows.
    waitUntil([&] { return done.load(); }, 130000);
    answering.join();
    std::lock_guard<std::mutex> guard(logLock);
    return seen;
}

class UpdatePagesTest : public ::testing::Test
{
protected:
    void SetUp() override { reset(); }
    // Command station and feedback interface 1 with their defaults, the image 1.08.
    static void reset()
    {
        SimClient::resetAll();
        SimClient::vlxAdd(1);
        SimClient::krxAdd(1);
        ProgramSettings::serviceMode = false;
        setImage(1, 8);
    }
    static void versions(int major, int minor, int imageMajor, int imageMinor)
    {
        SimClient::vlxSetVersion(1, major, minor, 0);
        setImage(imageMajor, imageMinor);
    }
    std::string text(int id) { return KrxApp::text(GetDlgItem(page->getHwnd(), id)); }
    void click(int id) { SendMessageA(GetDlgItem(page->getHwnd(), id), BM_CLICK, 0, 0); }
    static bool firmwareSent()
    {
        std::vector<SimRequest> log = SimClient::vlxLog(1);
        return std::any_of(log.begin(), log.end(),
                           [](SimRequest const& r) { return r.code == VLX_WRITE_FIRMWARE_BLOCK; });
    }

    PageHost host;
    std::unique_ptr<Dialog> page;
};
}

// The page shows both versions and its source; the question depends on how they compare, and
// No sends nothing. An image without version bytes has the version of the erased cells.
TEST_F(UpdatePagesTest, UpdatePageVersionsAndQuestions)
{
    std::string const newer = "Wollen Sie das Firmwareupdate auf Version ";
    struct
    {
        int major, minor, imageMajor, imageMinor;
        char const* installed;
        char const* available;
        std::string question;
    } const rows[] = {
        {1, 5, 1, 6, "1.05", "1.06", newer + "1.06 jetzt starten?"},
        {1, 6, 1, 6, "1.06", "1.06",
         "Die Version 1.06 ist bereits installiert.\nFirmwareupdate trotzdem starten?"},
        {2, 0, 1, 6, "2.00", "1.06",
         "Es ist bereits die neuere Version 2.00 installiert.\nFirmwareupdate trotzdem starten?"},
        {1, 99, 2, 0, "1.99", "2.00", newer + "2.00 jetzt starten?"},
        {0, 7, 12, 34, "0.07", "12.34", newer + "12.34 jetzt starten?"},
        {1, 8, -1, 0, "1.08", "654.35", newer + "654.35 jetzt starten?"}};
    for (auto const& r : rows) {
        versions(r.major, r.minor, r.imageMajor, r.imageMinor);
        page.reset(new UpdatePage(&host.window, 1));
        EXPECT_EQ(r.installed, text(IDC_INSTALLED_VERSION));
        EXPECT_EQ(r.available, text(IDC_AVAILABLE_VERSION));
        EXPECT_EQ(file, text(IDC_SOURCE));
        EXPECT_EQ(Log{"Firmwareupdate: " + r.question},
                  run({{"Firmwareupdate", IDNO}}, [&] { click(IDC_FIRMWARE_UPDATE); }));
        EXPECT_FALSE(firmwareSent());
    }
}

// Each row: how the device is set, the page's button pressed (0: none), the boxes answered, and
// what was seen followed by both versions as the page shows them at the end. A failed version
// request leaves the installed version empty. Yes changes device and file while the question
// shows: the device's version is read again after the update, the page keeps the available
// version it loaded. A device in emergency mode gets no question and only the normal part; test
// mode ("Notbetrieb testen", service mode only) stops after the emergency part.
TEST_F(UpdatePagesTest, UpdatePageFailuresAndRuns)
{
    std::string const ask =
        "Firmwareupdate: Wollen Sie das Firmwareupdate auf Version 1.08 jetzt starten?";
    std::string const same = "Firmwareupdate: Die Version 1.08 ist bereits installiert.\n"
                             "Firmwareupdate trotzdem starten?";
    std::string const box = "Fehler beim Firmwareupdate: ";
    Answer const end{"Firmwareupdate", IDOK}, failure{"Fehler beim Firmwareupdate", IDOK};
    Answer const yes{"Firmwareupdate", IDYES, [] { versions(1, 8, 2, 8); }};
    Answer const readFailure{"Fehler beim Erkennen der Firmwareversion", IDOK};
    std::string const readFailureText = readFailure.caption + ": ";
    int const update = IDC_FIRMWARE_UPDATE;
    struct
    {
        char const* name;
        std::function<void()> arrange;
        int button;
        std::vector<Answer> answers;
        Log expected;
    } const rows[] = {
        {"version request fails",
         [] { SimClient::vlxFail(1, VLX_GET_FIRMWARE_VERSION, notConnected); },
         0,
         {readFailure},
         {readFailureText + accessText, "", "1.08"}},
        // Installed version and the image's check: two boxes.
        {"device gone",
         [] { SimClient::vlxRemove(1); },
         0,
         {readFailure, readFailure},
         {readFailureText + openText, readFailureText + openText, "", ""}},
        {"update",
         [] { SimClient::vlxSetVersion(1, 1, 5, 0); },
         update,
         {yes, end},
         Log{ask, INIT, "#1", EMERG, "#2"} + NORMAL_PART + Log{"1.08", "1.08"}},
        {"emergency",
         [] { SimClient::vlxSetVersion(1, 1, 5, 1); },
         update,
         {end},
         Log{INIT, "#1"} + NORMAL_PART + Log{"1.05", "1.08"}},
        {"test mode",
         [] { ProgramSettings::serviceMode = true; },
         IDC_TEST_EMERGENCY,
         {yes, failure, end},
         {same, INIT, "#1", EMERG, "#2", FAILED, box + "Testabbruch!", "OK", "1.08", "1.08"}},
        // The first block of the first part (the write mode's failures do not count).
        {"write fails",
         [] { SimClient::vlxFail(1, VLX_WRITE_FIRMWARE_BLOCK, notConnected, 2); },
         update,
         {yes, failure, end},
         {same, INIT, "#1", EMERG, FAILED, box + accessText, "OK", "1.08", "1.08"}}};
    for (auto const& r : rows) {
        SCOPED_TRACE(r.name);
        reset();
        r.arrange();
        Log log = run(r.answers, [&] {
            page.reset(new UpdatePage(&host.window, 1));
            if (r.button)
                click(r.button);
        });
        for (int id : {IDC_INSTALLED_VERSION, IDC_AVAILABLE_VERSION})
            log.push_back(text(id));
        EXPECT_EQ(r.expected, log);
        EXPECT_EQ(file, text(IDC_SOURCE));
        HWND test = GetDlgItem(page->getHwnd(), IDC_TEST_EMERGENCY);
        EXPECT_EQ(ProgramSettings::serviceMode,
                  (GetWindowLongA(test, GWL_STYLE) & WS_VISIBLE) != 0);
    }
}

// What the Info page shows and asks; each row's log ends with its three fields (driver, serial
// number, feedback interface). A device in emergency mode is offered the update at once; the
// feedback interface is not asked then, nor is the device offered a second update.
TEST_F(UpdatePagesTest, InfoPageRows)
{
    std::string const krxOpenText = errorMessage("Fehler beim Öffnen des Krx-Usb-Treibers.",
                                                 ERROR_FILE_NOT_FOUND);
    std::string const notice = "Notfallbetrieb: Die Velmora befindet sich im Notfallbetrieb.\nDie "
                               "Firmware wird neu eingespielt.\n";
    std::string const driver = SIM_DEFAULT_DRIVER_TEXT,
                      absent = "Nicht verfügbar im Notfallbetrieb.";
    Answer const offer{"Notfallbetrieb", IDOK}, end{"Firmwareupdate", IDOK};
    struct
    {
        char const* name;
        std::function<void()> arrange;
        std::vector<Answer> answers;
        Log expected;
    } const rows[] = {
        {"normal",
         [] { SimClient::vlxSetSerial(1, 0xFF, 0xFF, 0xFF); },
         {},
         {driver, "16777215", "KRX-40 V1.08"}},
        {"emergency, cancelled",
         [] { SimClient::vlxSetSerial(1, 1, 2, 3); },
         {{"Notfallbetrieb", IDCANCEL}},
         {notice, driver, "66051", absent}},
        {"emergency, updated",
         [] {},
         {offer, {"Firmwareupdate", IDOK, [] { SimClient::vlxSetVersion(1, 1, 8, 0); }}},
         Log{notice, INIT, "#1"} + NORMAL_PART + Log{driver, "12345", "KRX-40 V1.08"}},
        {"emergency, still after the update",
         [] {},
         {offer, end},
         Log{notice, INIT, "#1"} + NORMAL_PART + Log{driver, "12345", absent}},
        // The device is gone before it can be read again: the fields keep their template texts.
        {"emergency, update fails",
         [] { SimClient::vlxFail(1, VLX_WRITE_FIRMWARE_BLOCK, notConnected, 2); },
         {offer,
          {"Fehler beim Firmwareupdate", IDOK, [] { SimClient::vlxRemove(1); }},
          end,
          {"Fehler beim Laden der Updatedaten", IDOK}},
         {notice, INIT, "#1", NORMAL_PART[0], FAILED, "Fehler beim Firmwareupdate: " + accessText,
          "OK", "Fehler beim Laden der Updatedaten: " + openText, "Kein Treiber", "", absent}},
        // The channel stays open while the box shows.
        {"serial request fails",
         [] { SimClient::vlxFail(1, VLX_GET_SERIAL_NUMBER, notConnected); },
         {{"Fehler", IDOK, [] { note("open " + std::to_string(SimClient::vlxState(1).open)); }}},
         {"open 1", "Fehler: " + accessText, accessText, "", "KRX-40 V1.08"}},
        {"command station gone",
         [] { SimClient::vlxRemove(1); },
         {{"Fehler", IDOK}},
         {"Fehler: " + openText, openText, "", "KRX-40 V1.08"}},
        {"no feedback interface",
         [] { SimClient::krxRemove(1); },
         {{"Fehler", IDOK}},
         {"Fehler: " + krxOpenText, driver, "12345", krxOpenText}}};
    for (auto const& r : rows) {
        SCOPED_TRACE(r.name);
        reset();
        bool const emergency = !r.answers.empty() && r.answers[0].caption == offer.caption;
        SimClient::vlxSetVersion(1, 1, 8, emergency);
        r.arrange();
        Log log = run(r.answers, [&] { page.reset(new InfoPage(&host.window, 1)); });
        for (int id : {IDC_VLX_DRIVER_TEXT, IDC_SERIAL_NUMBER, IDC_KRX_DRIVER_TEXT})
            log.push_back(text(id));
        EXPECT_EQ(r.expected, log);
        if (r.expected.back() == absent) {
            EXPECT_TRUE(SimClient::krxLog(1).empty()) << "the feedback interface was asked";
        }
        if (emergency && r.answers.size() == 1) {
            EXPECT_FALSE(firmwareSent()) << "cancelled, yet updated";
        }
    }
}
