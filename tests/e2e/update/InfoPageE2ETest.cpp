// The Info page with the real program: what it shows of both devices, the emergency update it
// offers, and its failure rows.
#include "UpdE2eFixture.h"
#include "VlxUsbCodes.h"
#include "resource.h"

namespace
{
const char* const EMERGENCY_NOTICE = "Die Velmora befindet sich im Notfallbetrieb.\nDie Firmware wird neu eingespielt.\n";
const char* const NOT_IN_EMERGENCY = "Nicht verfügbar im Notfallbetrieb.";
}

class UpdE2eInfoPage : public UpdE2eFixture
{
protected:
    // Runs the emergency update that the Info page has just started, to its end.
    void runEmergencyUpdate(bool normalAfterwards, UpdateRun& run)
    {
        HWND dialog = progressDialog();
        ASSERT_NE(dialog, (HWND)NULL);
        run = follow(dialog);
        ASSERT_TRUE(run.finished);
        // What the device reports once it has restarted with the new firmware.
        if (normalAfterwards)
            SimClient::vlxSetVersion(DEVICE, 1, 8, 0);
        click(dialog, IDOK);
        ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, 10000));
    }
};

TEST_F(UpdE2eInfoPage, NormalDeviceShowsDriverTextSerialAndFeedbackReply)
{
    SimClient::vlxSetDriverText(DEVICE, "Velmora Testtreiber 7.1");
    SimClient::vlxSetSerial(DEVICE, 0x00, 0x30, 0x39);
    SimClient::krxSetReply(DEVICE, "KRX-40 Rückmelder V2.01\r");
    startAtInfoPage("");
    HWND page = app->waitPage(IDC_VLX_DRIVER_TEXT);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_VLX_DRIVER_TEXT), "Velmora Testtreiber 7.1");
    EXPECT_EQ(itemText(page, IDC_SERIAL_NUMBER), "12345");
    EXPECT_EQ(itemText(page, IDC_KRX_DRIVER_TEXT), "KRX-40 Rückmelder V2.01");
    EXPECT_EQ(app->findDialog("Notfallbetrieb"), (HWND)NULL);
    EXPECT_NE(app->screenshot(app->mainWindow(), "info-page"), "");
}

TEST_F(UpdE2eInfoPage, LargestSerialNumberIsShownInFull)
{
    SimClient::vlxSetSerial(DEVICE, 0xFF, 0xFF, 0xFF);
    startAtInfoPage("");
    EXPECT_EQ(itemText(app->waitPage(IDC_VLX_DRIVER_TEXT), IDC_SERIAL_NUMBER), "16777215");
}

TEST_F(UpdE2eInfoPage, EmergencyCancelShowsTheDeviceButNotTheFeedbackInterface)
{
    SimClient::vlxSetVersion(DEVICE, 1, 8, 1);
    SimClient::vlxSetSerial(DEVICE, 0x01, 0x02, 0x03);
    ASSERT_TRUE(app->start(""));
    EXPECT_EQ(answerBox("Notfallbetrieb", IDCANCEL), EMERGENCY_NOTICE);
    HWND page = app->waitPage(IDC_VLX_DRIVER_TEXT);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_VLX_DRIVER_TEXT), SIM_DEFAULT_DRIVER_TEXT);
    EXPECT_EQ(itemText(page, IDC_SERIAL_NUMBER), "66051");
    EXPECT_EQ(itemText(page, IDC_KRX_DRIVER_TEXT), NOT_IN_EMERGENCY);
    EXPECT_TRUE(firmwarePayloads().empty());
    EXPECT_TRUE(SimClient::krxLog(DEVICE).empty()) << "the feedback interface was asked";
}

TEST_F(UpdE2eInfoPage, EmergencyOkUpdatesWithTheBuiltInImageAndReadsTheDeviceAgain)
{
    Image image;
    std::string error;
    ASSERT_TRUE(parseIntelHex(builtInHex(), image, error)) << error;
    SimClient::vlxSetVersion(DEVICE, 1, 8, 1);
    ASSERT_TRUE(app->start(""));
    EXPECT_EQ(answerBox("Notfallbetrieb", IDOK), EMERGENCY_NOTICE);
    UpdateRun run;
    runEmergencyUpdate(true, run);
    EXPECT_EQ(run.finalStatus, "Firmwareupdate erfolgreich abgeschlossen.");
    EXPECT_EQ(run.errorBox, "");
    for (std::string const& s : run.statuses)
        EXPECT_NE(s, "Schreibe neue Firmware für den Notbetrieb.");

    HWND page = app->waitPage(IDC_VLX_DRIVER_TEXT);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_KRX_DRIVER_TEXT), "KRX-40 V1.08") << "normal now: the reply is shown";
    EXPECT_EQ(itemText(page, IDC_SERIAL_NUMBER), "12345");
    std::vector<Payload> p = firmwarePayloads();
    ASSERT_GE(p.size(), 3u);
    EXPECT_EQ(p[0], command(0x10, 0x00));
    EXPECT_EQ(p[1], command(0x10, 0x03));
    size_t end = partEnd(p, 2);
    EXPECT_EQ(checkPart(p, 2, end, image, 0x0000, 0x6FFF), "");
    ASSERT_EQ(end + 1, p.size());
    EXPECT_EQ(p[end], command(0x08));
}

TEST_F(UpdE2eInfoPage, DeviceStillInEmergencyAfterTheUpdateIsNotOfferedASecondOne)
{
    SimClient::vlxSetVersion(DEVICE, 1, 8, 1);
    ASSERT_TRUE(app->start("-s" + smallImageFile()));
    answerBox("Notfallbetrieb", IDOK);
    UpdateRun run;
    runEmergencyUpdate(false, run);
    HWND page = app->waitPage(IDC_VLX_DRIVER_TEXT);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_KRX_DRIVER_TEXT), NOT_IN_EMERGENCY);
    EXPECT_EQ(itemText(page, IDC_VLX_DRIVER_TEXT), SIM_DEFAULT_DRIVER_TEXT);
    EXPECT_EQ(app->waitDialog("Notfallbetrieb", 300), (HWND)NULL) << "a second update was offered";
    EXPECT_EQ(firmwarePayloads().back(), command(0x08));
}

TEST_F(UpdE2eInfoPage, DeviceLostDuringEmergencyUpdateReportsTheReopening)
{
    SimClient::vlxSetVersion(DEVICE, 1, 8, 1);
    SimClient::vlxSetPending(DEVICE, 200);
    ASSERT_TRUE(app->start(""));
    answerBox("Notfallbetrieb", IDOK);
    HWND dialog = progressDialog();
    ASSERT_NE(dialog, (HWND)NULL);
    SimClient::vlxRemove(DEVICE);
    UpdateRun run = follow(dialog);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.finalStatus, "Firmwareupdate nicht erfolgreich.");
    EXPECT_NE(run.errorBox.find("Vlx-Usb-Treiber"), std::string::npos) << run.errorBox;
    click(dialog, IDOK);
    std::string text = answerBox("Fehler beim Laden der Updatedaten");
    EXPECT_EQ(text.rfind("Fehler beim Öffnen des Vlx-Usb-Treibers.\n", 0), 0u) << text;
    HWND page = app->waitPage(IDC_VLX_DRIVER_TEXT);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_KRX_DRIVER_TEXT), NOT_IN_EMERGENCY);
    EXPECT_EQ(itemText(page, IDC_SERIAL_NUMBER), "");
}

class UpdE2eInfoPageFailures : public UpdE2eFixture
{
};

TEST_F(UpdE2eInfoPageFailures, CommandStationThatCannotBeOpenedStillAsksTheFeedbackInterface)
{
    SimClient::vlxAdd(2);
    SimClient::krxAdd(2);
    SimClient::krxSetReply(2, "KRX-40 Nr. 2\r");
    startAtInfoPage("");
    // Listed at start, gone when its page opens.
    SimClient::vlxRemove(2);
    ASSERT_TRUE(KrxApp::pickCombo(app->mainControl(IDC_DEVICE_LIST), 1));
    std::string text = answerBox("Fehler");
    EXPECT_EQ(text.rfind("Fehler beim Öffnen des Vlx-Usb-Treibers.\n", 0), 0u) << text;
    HWND page = app->waitPage(IDC_VLX_DRIVER_TEXT);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_VLX_DRIVER_TEXT), text);
    EXPECT_EQ(itemText(page, IDC_SERIAL_NUMBER), "");
    EXPECT_EQ(itemText(page, IDC_KRX_DRIVER_TEXT), "KRX-40 Nr. 2");
}

TEST_F(UpdE2eInfoPageFailures, FailedSerialRequestShowsTheRequestError)
{
    SimClient::vlxFail(DEVICE, VLX_GET_SERIAL_NUMBER, (long)0xC000009D);
    ASSERT_TRUE(app->start(""));
    std::string text = answerBox("Fehler");
    EXPECT_EQ(text.rfind("Fehler beim Zugriff auf den Vlx-Usb-Treiber.\n", 0), 0u) << text;
    EXPECT_NE(text.find("(Fehlercode: 1167)"), std::string::npos) << text;
    HWND page = app->waitPage(IDC_VLX_DRIVER_TEXT);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_VLX_DRIVER_TEXT), text);
    EXPECT_EQ(itemText(page, IDC_SERIAL_NUMBER), "");
    EXPECT_EQ(itemText(page, IDC_KRX_DRIVER_TEXT), "KRX-40 V1.08");
}

TEST_F(UpdE2eInfoPageFailures, FailedModeQueryLeavesTemplateTextsAndAsksTheFeedbackInterface)
{
    SimClient::vlxFail(DEVICE, VLX_GET_FIRMWARE_VERSION, (long)0xC000009D);
    ASSERT_TRUE(app->start(""));
    std::string text = answerBox("Fehler");
    HWND page = app->waitPage(IDC_VLX_DRIVER_TEXT);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_VLX_DRIVER_TEXT), text);
    EXPECT_EQ(itemText(page, IDC_SERIAL_NUMBER), "");
    EXPECT_EQ(itemText(page, IDC_KRX_DRIVER_TEXT), "KRX-40 V1.08");
}

TEST_F(UpdE2eInfoPageFailures, MissingFeedbackInterfaceShowsItsOpenError)
{
    SimClient::krxRemove(DEVICE);
    ASSERT_TRUE(app->start(""));
    std::string text = answerBox("Fehler");
    EXPECT_EQ(text.rfind("Fehler beim Öffnen des Krx-Usb-Treibers.\n", 0), 0u) << text;
    HWND page = app->waitPage(IDC_VLX_DRIVER_TEXT);
    ASSERT_NE(page, (HWND)NULL);
    EXPECT_EQ(itemText(page, IDC_KRX_DRIVER_TEXT), text);
    EXPECT_EQ(itemText(page, IDC_VLX_DRIVER_TEXT), SIM_DEFAULT_DRIVER_TEXT);
    EXPECT_EQ(itemText(page, IDC_SERIAL_NUMBER), "12345");
}
