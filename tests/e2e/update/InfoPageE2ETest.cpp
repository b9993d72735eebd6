// The Info page with the real program: what it shows of both devices, the emergency update it
// offers, and its failure rows.
#include <functional>

#include "UpdE2eFixture.h"
#include "VlxUsbCodes.h"
#include "resource.h"

namespace
{
const char* const EMERGENCY_NOTICE = "Die Velmora befindet sich im Notfallbetrieb.\nDie Firmware wird neu eingespielt.\n";
const char* const NOT_IN_EMERGENCY = "Nicht verfügbar im Notfallbetrieb.";
const char* const VLX_OPEN_ERROR = "Fehler beim Öffnen des Vlx-Usb-Treibers.\n";
const long NOT_CONNECTED = (long)0xC000009D;
}

class UpdE2eInfoPage : public UpdE2eFixture
{
protected:
    // The Info page's three texts: driver, serial number, feedback interface.
    void expectPage(std::string const& driver, std::string const& serial, std::string const& feedback)
    {
        HWND page = app->waitPage(IDC_VLX_DRIVER_TEXT);
        ASSERT_NE(page, (HWND)NULL) << "no Info page";
        EXPECT_EQ(itemText(page, IDC_VLX_DRIVER_TEXT), driver);
        EXPECT_EQ(itemText(page, IDC_SERIAL_NUMBER), serial);
        EXPECT_EQ(itemText(page, IDC_KRX_DRIVER_TEXT), feedback);
    }
};

// The serial number is shown in decimal, the largest one in full.
TEST_F(UpdE2eInfoPage, NormalDeviceShowsDriverTextSerialAndFeedbackReply)
{
    for (unsigned char top : {0x00, 0xFF}) {
        SetUp();
        restart();
        SimClient::vlxSetDriverText(DEVICE, "Velmora Testtreiber 7.1");
        SimClient::vlxSetSerial(DEVICE, top, top ? 0xFF : 0x30, top ? 0xFF : 0x39);
        SimClient::krxSetReply(DEVICE, "KRX-40 Rückmelder V2.01\r");
        startAtInfoPage("");
        expectPage("Velmora Testtreiber 7.1", top ? "16777215" : "12345", "KRX-40 Rückmelder V2.01");
        EXPECT_EQ(app->findDialog("Notfallbetrieb"), (HWND)NULL);
        if (!top) {
            EXPECT_NE(app->screenshot(app->mainWindow(), "info-page"), "");
        }
        EXPECT_EQ(app->close(), 0);
    }
}

TEST_F(UpdE2eInfoPage, EmergencyCancelShowsTheDeviceButNotTheFeedbackInterface)
{
    SimClient::vlxSetVersion(DEVICE, 1, 8, 1);
    SimClient::vlxSetSerial(DEVICE, 0x01, 0x02, 0x03);
    ASSERT_TRUE(app->start(""));
    EXPECT_EQ(answerBox("Notfallbetrieb", IDCANCEL), EMERGENCY_NOTICE);
    expectPage(SIM_DEFAULT_DRIVER_TEXT, "66051", NOT_IN_EMERGENCY);
    EXPECT_TRUE(firmwarePayloads().empty());
    EXPECT_TRUE(SimClient::krxLog(DEVICE).empty()) << "the feedback interface was asked";
}

// OK runs the update at once (the normal part only) and reads the device again; a device still
// in emergency mode afterwards is not offered a second update.
TEST_F(UpdE2eInfoPage, EmergencyOkUpdatesAndReadsTheDeviceAgain)
{
    for (bool normalAfterwards : {true, false}) {
        SCOPED_TRACE(normalAfterwards ? "normal afterwards" : "still in emergency");
        SetUp();
        restart();
        SimClient::vlxSetVersion(DEVICE, 1, 8, 1);
        ASSERT_TRUE(app->start(""));
        EXPECT_EQ(answerBox("Notfallbetrieb", IDOK), EMERGENCY_NOTICE);
        HWND dialog = NULL;
        UpdateRun run = update(NULL, 0, 0, &dialog);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.finalStatus, "Firmwareupdate erfolgreich abgeschlossen.");
        EXPECT_EQ(run.errorBox, "");
        for (std::string const& s : run.statuses)
            EXPECT_NE(s, "Schreibe neue Firmware für den Notbetrieb.");
        // What the device reports once it has restarted with the new firmware.
        if (normalAfterwards)
            SimClient::vlxSetVersion(DEVICE, 1, 8, 0);
        click(dialog, IDOK);
        ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, 10000));
        if (normalAfterwards) {
            expectPage(SIM_DEFAULT_DRIVER_TEXT, "12345", "KRX-40 V1.08");
        } else {
            expectPage(SIM_DEFAULT_DRIVER_TEXT, "12345", NOT_IN_EMERGENCY);
            EXPECT_EQ(app->waitDialog("Notfallbetrieb", 300), (HWND)NULL) << "a second update was offered";
        }
        std::vector<Payload> p = firmwarePayloads();
        ASSERT_GE(p.size(), 3u);
        EXPECT_EQ(p[1], command(0x10, 0x03)) << "not the normal-operation part alone";
        EXPECT_EQ(p.back(), command(0x08));
        EXPECT_EQ(app->close(), 0);
    }
}

TEST_F(UpdE2eInfoPage, DeviceLostDuringEmergencyUpdateReportsTheReopening)
{
    SimClient::vlxSetVersion(DEVICE, 1, 8, 1);
    SimClient::vlxSetPending(DEVICE, 200);
    ASSERT_TRUE(app->start(""));
    answerBox("Notfallbetrieb", IDOK);
    HWND dialog = firmwareDialog(IDC_PROGRESS_BAR);
    ASSERT_NE(dialog, (HWND)NULL);
    SimClient::vlxRemove(DEVICE);
    UpdateRun run = follow(dialog);
    EXPECT_EQ(run.finalStatus, "Firmwareupdate nicht erfolgreich.");
    EXPECT_NE(run.errorBox.find("Vlx-Usb-Treiber"), std::string::npos) << run.errorBox;
    click(dialog, IDOK);
    std::string text = answerBox("Fehler beim Laden der Updatedaten");
    EXPECT_TRUE(startsWith(text, VLX_OPEN_ERROR)) << text;
    HWND page = app->waitPage(IDC_VLX_DRIVER_TEXT);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_KRX_DRIVER_TEXT), NOT_IN_EMERGENCY);
    EXPECT_EQ(itemText(page, IDC_SERIAL_NUMBER), "");
}

// Each failure shows its box "Fehler"; the failed field shows the box's text (an empty
// expectation below stands for it), the other fields are read as usual.
TEST_F(UpdE2eInfoPage, FailureRows)
{
    struct Case
    {
        char const* name;
        std::function<void()> arrange;
        char const* prefix;  // start of the box's text
        char const* driver;  // "": the box's text
        char const* serial;
        char const* feedback;
        bool heldAtBox;      // the command station's channel is still open while the box shows
    } const cases[] = {
        // Listed at start, gone when its page opens; the feedback interface is still asked.
        {"command station cannot be opened", [] { SimClient::vlxAdd(2); SimClient::krxAdd(2);
             SimClient::krxSetReply(2, "KRX-40 Nr. 2\r"); }, VLX_OPEN_ERROR, "", "", "KRX-40 Nr. 2", false},
        {"serial request fails", [] { SimClient::vlxFail(DEVICE, VLX_GET_SERIAL_NUMBER, NOT_CONNECTED); },
         "Fehler beim Zugriff auf den Vlx-Usb-Treiber.\n", "", "", "KRX-40 V1.08", true},
        {"mode query fails", [] { SimClient::vlxFail(DEVICE, VLX_GET_FIRMWARE_VERSION, NOT_CONNECTED); },
         "Fehler beim Zugriff auf den Vlx-Usb-Treiber.\n", "", "", "KRX-40 V1.08", true},
        {"no feedback interface", [] { SimClient::krxRemove(DEVICE); },
         "Fehler beim Öffnen des Krx-Usb-Treibers.\n", SIM_DEFAULT_DRIVER_TEXT, "12345", "", false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        restart();
        c.arrange();
        bool second = std::string(c.name) == "command station cannot be opened";
        if (second) {
            startAtInfoPage("");
            SimClient::vlxRemove(2);
            ASSERT_TRUE(KrxApp::pickCombo(app->mainControl(IDC_DEVICE_LIST), 1));
        } else {
            ASSERT_TRUE(app->start(""));
        }
        ASSERT_NE(app->waitDialog("Fehler", 20000), (HWND)NULL);
        EXPECT_EQ(SimClient::vlxState(DEVICE).open, c.heldAtBox ? 1u : 0u);
        std::string text = answerBox("Fehler");
        EXPECT_TRUE(startsWith(text, c.prefix)) << text;
        if (std::string(c.name) == "serial request fails") {
            EXPECT_NE(text.find("(Fehlercode: 1167)"), std::string::npos) << text;
        }
        expectPage(*c.driver ? c.driver : text, c.serial, *c.feedback ? c.feedback : text);
        EXPECT_EQ(app->close(), 0);
    }
}
