// The real program started on a command station in emergency mode: the Info page runs the
// update of the built-in image at once, and the program goes on once the dialog is closed. The
// screenshot "progress-dialog-end" is kept among the artefacts. The pages themselves are tested
// in-process (tests/app).
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
    HWND offer = app.waitDialog("Notfallbetrieb", 20000);
    ASSERT_TRUE(KrxApp::press(GetDlgItem(offer, IDOK))) << "no box \"Notfallbetrieb\"";
    HWND dialog = app.waitDialog("Firmwareupdate", 20000, IDC_PROGRESS_BAR);
    ASSERT_NE(nullptr, dialog);
    HWND ok = GetDlgItem(dialog, IDOK);
    ASSERT_TRUE(waitUntil([&] { return IsWindowEnabled(ok) != 0; }, 120000));
    EXPECT_NE("", app.screenshot(dialog, "progress-dialog-end"));
    KrxApp::press(ok);
    EXPECT_NE(nullptr, app.waitPage(IDC_KRX_DRIVER_TEXT, 20000));
    EXPECT_EQ(0, app.close()) << "the program did not end when its main window was closed";
}
