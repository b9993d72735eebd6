// The Info page with the real program: what it shows of both devices, the emergency update it
// offers, and its failure rows.
#include "UpdE2eFixture.h"
#include "VlxUsbCodes.h"
#include "resource.h"

namespace
{
const char* const EMERGENCY_NOTICE =
    "Die Velmora befindet sich im Notfallbetrieb.\nDie Firmware wird neu eingespielt.\n";
const char* const NOT_IN_EMERGENCY = "Nicht verfügbar im Notfallbetrieb.";
const char* const VLX_OPEN_ERROR = "Fehler beim Öffnen des Vlx-Usb-Treibers.\n";
const char* const VLX_ACCESS_ERROR = "Fehler beim Zugriff auf den Vlx-Usb-Treiber.\n";
const long NOT_CONNECTED = (long)0xC000009D;
}

class UpdE2eInfoPage : public UpdE2eFixture
{
protected:
    // The Info page's three texts: driver, serial number, feedback interface.
    void expectPage(std::string const& driver, std::string const& serial,
                    std::string const& feedback)
    {
        HWND page = app.waitPage(IDC_VLX_DRIVER_TEXT);
        ASSERT_NE(page, (HWND)NULL) << "no Info page";
        EXPECT_EQ(itemText(page, IDC_VLX_DRIVER_TEXT), driver);
        EXPECT_EQ(itemText(page, IDC_SERIAL_NUMBER), serial);
        EXPECT_EQ(itemText(page, IDC_KRX_DRIVER_TEXT), feedback);
    }
};

// The serial number is shown in decimal, the largest one in full.
TEST_F(UpdE2eInfoPage, NormalDeviceShowsDriverTextSerialAndFeedbackReply)
{
    SimClient::vlxSetDriverText(DEVICE, "Velmora Testtreiber 7.1");
    SimClient::vlxSetSerial(DEVICE, 0xFF, 0xFF, 0xFF);
    SimClient::krxSetReply(DEVICE, "KRX-40 Rückmelder V2.01\r");
    startAtInfoPage("");
    expectPage("Velmora Testtreiber 7.1", "16777215", "KRX-40 Rückmelder V2.01");
    EXPECT_EQ(app.findDialog("Notfallbetrieb"), (HWND)NULL);
    EXPECT_NE(app.screenshot(app.mainWindow(), "info-page"), "");
}

TEST_F(UpdE2eInfoPage, EmergencyCancelShowsTheDeviceButNotTheFeedbackInterface)
{
    SimClient::vlxSetVersion(DEVICE, 1, 8, 1);
    SimClient::vlxSetSerial(DEVICE, 0x01, 0x02, 0x03);
    ASSERT_TRUE(app.start(""));
    EXPECT_EQ(answerBox("Notfallbetrieb", IDCANCEL), EMERGENCY_NOTICE);
    expectPage(SIM_DEFAULT_DRIVER_TEXT, "66051", NOT_IN_EMERGENCY);
    EXPECT_FALSE(firmwareSent());
    EXPECT_TRUE(SimClient::krxLog(DEVICE).empty()) << "the feedback interface was asked";
}

// OK runs the update at once and reads the device again; a device still in emergency mode
// afterwards (parameter false) is not offered a second update.
class UpdE2eEmergencyOk : public UpdE2eInfoPage, public ::testing::WithParamInterface<bool>
{};

TEST_P(UpdE2eEmergencyOk, UpdatesAndReadsTheDeviceAgain)
{
    bool const normalAfterwards = GetParam();
    SimClient::vlxSetVersion(DEVICE, 1, 8, 1);
    ASSERT_TRUE(app.start(""));
    EXPECT_EQ(answerBox("Notfallbetrieb", IDOK), EMERGENCY_NOTICE);
    HWND dialog = NULL;
    UpdateRun run = update(NULL, 0, 0, &dialog);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.finalStatus, "Firmwareupdate erfolgreich abgeschlossen.");
    EXPECT_EQ(run.errorBox, "");
    // What the device reports once it has restarted with the new firmware.
    if (normalAfterwards)
        SimClient::vlxSetVersion(DEVICE, 1, 8, 0);
    click(dialog, IDOK);
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, 10000));
    expectPage(SIM_DEFAULT_DRIVER_TEXT, "12345",
               normalAfterwards ? "KRX-40 V1.08" : NOT_IN_EMERGENCY);
    EXPECT_EQ(app.waitDialog("Notfallbetrieb", 300), (HWND)NULL) << "a second update was offered";
}

INSTANTIATE_TEST_SUITE_P(NormalAfterwards, UpdE2eEmergencyOk, ::testing::Bool());

TEST_F(UpdE2eInfoPage, DeviceLostDuringEmergencyUpdateReportsTheReopening)
{
    SimClient::vlxSetVersion(DEVICE, 1, 8, 1);
    SimClient::vlxSetPending(DEVICE, 200);
    ASSERT_TRUE(app.start(""));
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
    HWND page = app.waitPage(IDC_VLX_DRIVER_TEXT);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_KRX_DRIVER_TEXT), NOT_IN_EMERGENCY);
    EXPECT_EQ(itemText(page, IDC_SERIAL_NUMBER), "");
}

// Each failure shows its box "Fehler"; the failed field shows the box's text (an empty
// expectation stands for it), the other fields are read as usual.
struct InfoFailure
{
    char const* name;
    void (*arrange)();
    bool secondDevice;  // the failure is on device 2, picked after the start
    char const* prefix; // start of the box's text
    char const* driver; // "": the box's text
    char const* serial;
    char const* feedback;
    bool heldAtBox; // the command station's channel is still open while the box shows
};

class UpdE2eInfoFailure : public UpdE2eInfoPage, public ::testing::WithParamInterface<InfoFailure>
{};

TEST_P(UpdE2eInfoFailure, ShowsTheBoxInItsFieldAndReadsTheOthers)
{
    InfoFailure const& c = GetParam();
    SCOPED_TRACE(c.name);
    c.arrange();
    if (c.secondDevice) {
        startAtInfoPage("");
        SimClient::vlxRemove(2);
        ASSERT_TRUE(KrxApp::pickCombo(app.mainControl(IDC_DEVICE_LIST), 1));
    } else {
        ASSERT_TRUE(app.start(""));
    }
    ASSERT_NE(app.waitDialog("Fehler", 20000), (HWND)NULL);
    EXPECT_EQ(SimClient::vlxState(DEVICE).open, c.heldAtBox ? 1u : 0u);
    std::string text = answerBox("Fehler");
    EXPECT_TRUE(startsWith(text, c.prefix)) << text;
    if (c.prefix == VLX_ACCESS_ERROR) {
        EXPECT_NE(text.find("(Fehlercode: 1167)"), std::string::npos) << text;
    }
    expectPage(*c.driver ? c.driver : text, c.serial, *c.feedback ? c.feedback : text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UpdE2eInfoFailure,
    ::testing::Values(
        // Listed at start, gone when its page opens; the feedback interface is still asked.
        InfoFailure{"command station cannot be opened",
                    [] {
                        SimClient::vlxAdd(2);
                        SimClient::krxAdd(2);
                        SimClient::krxSetReply(2, "KRX-40 Nr. 2\r");
                    },
                    true, VLX_OPEN_ERROR, "", "", "KRX-40 Nr. 2", false},
        InfoFailure{"serial request fails",
                    [] { SimClient::vlxFail(DEVICE, VLX_GET_SERIAL_NUMBER, NOT_CONNECTED); }, false,
                    VLX_ACCESS_ERROR, "", "", "KRX-40 V1.08", true},
        InfoFailure{"no feedback interface", [] { SimClient::krxRemove(DEVICE); }, false,
                    "Fehler beim Öffnen des Krx-Usb-Treibers.\n", SIM_DEFAULT_DRIVER_TEXT, "12345",
                    "", false}));
