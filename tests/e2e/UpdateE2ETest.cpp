// The real program started on a command station in emergency mode: the Info page runs the
// update of the built-in image at once. The screenshots "progress-dialog-end" and "update-page"
// are kept among the artefacts. The pages themselves are tested in-process (tests/app).
#include <gtest/gtest.h>

#include "KrxApp.h"
#include "SimClient.h"
#include "resource.h"

TEST(UpdateE2E, EmergencyDeviceIsUpdatedFromTheInfoPageAtStart)
{
    SimClient::resetAll();
    SimClient::vlxAdd(1);
    SimClient::krxAdd(1);
    SimClient::vlxSetVersion(1, 1, 5, 1);
    KrxApp app;
    ASSERT_TRUE(app.start(""));
    std::string error;
    EXPECT_NE("", app.answer("Notfallbetrieb", IDOK, 20000, &error)) << error;
    HWND dialog = app.waitDialog("Firmwareupdate", 20000, IDC_PROGRESS_BAR);
    ASSERT_NE(nullptr, dialog);
    HWND ok = GetDlgItem(dialog, IDOK);
    ASSERT_TRUE(waitUntil([&] { return IsWindowEnabled(ok) != 0; }, 120000));
    EXPECT_NE("", app.screenshot(dialog, "progress-dialog-end"));
    // What the device reports once it runs the new firmware.
    SimClient::vlxSetVersion(1, 1, 8, 0);
    KrxApp::press(ok);
    ASSERT_NE(nullptr, app.waitPage(IDC_KRX_DRIVER_TEXT, 20000));
    ASSERT_TRUE(app.selectTab(1)); // Info, Update, KRX-40 Terminal without service mode
    HWND page = app.waitPage(IDC_FIRMWARE_UPDATE, 20000);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ("1.08", KrxApp::text(GetDlgItem(page, IDC_INSTALLED_VERSION)));
    EXPECT_EQ("intern", KrxApp::text(GetDlgItem(page, IDC_SOURCE)));
    EXPECT_NE("", app.screenshot(app.mainWindow(), "update-page"));
    EXPECT_EQ(0, app.close()) << "the program did not end when its main window was closed";
}
