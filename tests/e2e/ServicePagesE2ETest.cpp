// The pages "Gerätenummer" and "VLX-Test" in the real program (service mode): the loop test as a
// technician runs it, with screenshots for the README. What leaving a page leaves on the device
// is tested in-process (tests/app, tests/gui).
#include <gtest/gtest.h>

#include "KrxApp.h"
#include "SimClient.h"
#include "resource.h"

TEST(ServicePagesE2ETest, DeviceNumberAndLoopTestWithBothWorkers)
{
    SimClient::resetAll();
    SimClient::vlxAdd(1);
    SimClient::krxAdd(1);
    KrxApp app;
    ASSERT_TRUE(app.start("-s") && app.mainWindow() != nullptr && app.selectTab("Gerätenummer"));
    HWND page = app.waitPage(IDC_NEW_NUMBER), edit = GetDlgItem(page, IDC_NEW_NUMBER);
    EXPECT_TRUE(waitUntil([&] { return KrxApp::text(edit) == "1"; }, 5000)) << KrxApp::text(edit);
    EXPECT_NE("", app.screenshot(app.mainWindow(), "device-number-page"));

    ASSERT_TRUE(app.selectTab("VLX-Test"));
    page = app.waitPage(IDC_LOOP_SEND_THREAD);
    KrxApp::press(GetDlgItem(page, IDC_LOOP_READ_THREAD));
    KrxApp::press(GetDlgItem(page, IDC_LOOP_SEND_THREAD));
    HWND received = GetDlgItem(page, IDC_LOOP_RECEIVED);
    EXPECT_TRUE(waitUntil([&] { return std::stoul(KrxApp::text(received)) >= 300; }, 20000));
    EXPECT_NE("", app.screenshot(app.mainWindow(), "vlx-test-page"));
    EXPECT_EQ(0, app.close());
    SimClient::resetAll();
}
