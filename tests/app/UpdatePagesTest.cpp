// The pages "Update" and "Info" and the dialog "Firmwareupdate" in this process against the
// simulated command station: versions, questions, how the dialog ends, and every failure's box.
// The update's steps and payloads are tested with the engine (tests/firmware).
#include <gtest/gtest.h>

#include <algorithm>

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
// The dialog's last status and bar position at its end.
std::string const DONE = "Firmwareupdate erfolgreich abgeschlossen. #4";
std::string const FAILED = "Firmwareupdate nicht erfolgreich. #";

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

// answerBoxes; before each answer the dialog "Firmwareupdate", when it shows, is sent cancel and,
// while its OK is disabled, OK: it ignores both. Once OK is enabled, its status and bar ("#n")
// are noted.
Seen run(std::vector<Answer> answers, std::function<void()> action)
{
    for (Answer& a : answers)
        a.before = [before = a.before] {
            HWND progress = findDialog("Firmwareupdate", IDC_PROGRESS_BAR);
            if (progress != nullptr) {
                bool const ended = IsWindowEnabled(GetDlgItem(progress, IDOK));
                SendMessageA(progress, WM_COMMAND, IDCANCEL, 0);
                if (!ended)
                    SendMessageA(progress, WM_COMMAND, IDOK, 0);
                if (!IsWindowVisible(progress))
                    note("a command closed the dialog");
                if (ended)
                    note(KrxApp::text(GetDlgItem(progress, IDC_PROGRESS_STATUS)) + " #" +
                         std::to_string(
                             SendDlgItemMessageA(progress, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0)));
            }
            if (before)
                before();
        };
    return answerBoxes(answers, action);
}

class UpdatePagesTest : public ::testing::Test, protected PageHost
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
    static bool firmwareSent()
    {
        std::vector<SimRequest> log = SimClient::vlxLog(1);
        return std::any_of(log.begin(), log.end(),
                           [](SimRequest const& r) { return r.code == VLX_WRITE_FIRMWARE_BLOCK; });
    }
};
}

// The page shows both versions and its source; the question depends on how they compare (a
// newer minor and the same version are asked in the runs below), and No sends nothing. An image
// without version bytes has the version of the erased cells.
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
        {2, 0, 1, 6, "2.00", "1.06",
         "Es ist bereits die neuere Version 2.00 installiert.\nFirmwareupdate trotzdem starten?"},
        {1, 99, 2, 0, "1.99", "2.00", newer + "2.00 jetzt starten?"},
        {1, 8, -1, 0, "1.08", "654.35", newer + "654.35 jetzt starten?"}};
    for (auto const& r : rows) {
        versions(r.major, r.minor, r.imageMajor, r.imageMinor);
        page.reset(new UpdatePage(&window, 1));
        EXPECT_EQ(r.installed, text(IDC_INSTALLED_VERSION));
        EXPECT_EQ(r.available, text(IDC_AVAILABLE_VERSION));
        EXPECT_EQ(file, text(IDC_SOURCE));
        EXPECT_EQ(Seen{"Firmwareupdate: " + r.question},
                  run({{"Firmwareupdate", IDNO}}, [&] { click(IDC_FIRMWARE_UPDATE); }));
        EXPECT_FALSE(firmwareSent());
    }
}

// Each row: how the device is set, the page's button pressed (0: none), the boxes answered, and
// what was seen followed by both versions as the page shows them at the end. A failed version
// request leaves the installed version empty. Yes changes device and file while the question
// shows: the device's version is read again after the update, the page keeps the available
// version it loaded. A device in emergency mode gets no question; test mode ("Notbetrieb
// testen", service mode only) stops after the emergency part.
TEST_F(UpdatePagesTest, UpdatePageFailuresAndRuns)
{
    std::string const ask =
        "Firmwareupdate: Wollen Sie das Firmwareupdate auf Version 1.08 jetzt starten?";
    std::string const same = "Firmwareupdate: Die Version 1.08 ist bereits installiert.\n"
                             "Firmwareupdate trotzdem starten?";
    Answer const end{"Firmwareupdate"}, failure{"Fehler beim Firmwareupdate"};
    Answer const yes{"Firmwareupdate", IDYES, [] { versions(1, 8, 2, 8); }};
    Answer const readFailure{"Fehler beim Erkennen der Firmwareversion"};
    std::string const readFailureText = readFailure.caption + ": ";
    struct
    {
        char const* name;
        std::function<void()> arrange;
        int button;
        std::vector<Answer> answers;
        Seen expected;
    } const rows[] = {{"version request fails",
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
                       IDC_FIRMWARE_UPDATE,
                       {yes, end},
                       {ask, DONE, "1.08", "1.08"}},
                      {"emergency",
                       [] { SimClient::vlxSetVersion(1, 1, 5, 1); },
                       IDC_FIRMWARE_UPDATE,
                       {end},
                       {DONE, "1.05", "1.08"}},
                      {"test mode",
                       [] { ProgramSettings::serviceMode = true; },
                       IDC_TEST_EMERGENCY,
                       {yes, failure, end},
                       {same, failure.caption + ": Testabbruch!", FAILED + "2", "1.08", "1.08"}}};
    for (auto const& r : rows) {
        SCOPED_TRACE(r.name);
        reset();
        r.arrange();
        Seen log = run(r.answers, [&] {
            page.reset(new UpdatePage(&window, 1));
            if (r.button)
                click(r.button);
        });
        for (int id : {IDC_INSTALLED_VERSION, IDC_AVAILABLE_VERSION})
            log.push_back(text(id));
        EXPECT_EQ(r.expected, log);
        EXPECT_EQ(ProgramSettings::serviceMode,
                  (GetWindowLongA(item(IDC_TEST_EMERGENCY), GWL_STYLE) & WS_VISIBLE) != 0);
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
    Answer const offer{"Notfallbetrieb"}, end{"Firmwareupdate"};
    struct
    {
        char const* name;
        std::function<void()> arrange;
        std::vector<Answer> answers;
        Seen expected;
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
         {notice, DONE, driver, "12345", "KRX-40 V1.08"}},
        {"emergency, still after the update",
         [] {},
         {offer, end},
         {notice, DONE, driver, "12345", absent}},
        // The device is gone before it can be read again: the fields keep their template texts.
        {"emergency, update fails",
         [] { SimClient::vlxFail(1, VLX_WRITE_FIRMWARE_BLOCK, notConnected, 2); },
         {offer,
          {"Fehler beim Firmwareupdate", IDOK, [] { SimClient::vlxRemove(1); }},
          end,
          {"Fehler beim Laden der Updatedaten"}},
         {notice, "Fehler beim Firmwareupdate: " + accessText, FAILED + "1",
          "Fehler beim Laden der Updatedaten: " + openText, "Kein Treiber", "", absent}},
        // The channel stays open while the box shows.
        {"serial request fails",
         [] { SimClient::vlxFail(1, VLX_GET_SERIAL_NUMBER, notConnected); },
         {{"Fehler", IDOK, [] { note("open " + std::to_string(SimClient::vlxState(1).open)); }}},
         {"open 1", "Fehler: " + accessText, accessText, "", "KRX-40 V1.08"}},
        {"no feedback interface",
         [] { SimClient::krxRemove(1); },
         {{"Fehler"}},
         {"Fehler: " + krxOpenText, driver, "12345", krxOpenText}}};
    for (auto const& r : rows) {
        SCOPED_TRACE(r.name);
        reset();
        bool const emergency = !r.answers.empty() && r.answers[0].caption == offer.caption;
        SimClient::vlxSetVersion(1, 1, 8, emergency);
        r.arrange();
        Seen log = run(r.answers, [&] { page.reset(new InfoPage(&window, 1)); });
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
