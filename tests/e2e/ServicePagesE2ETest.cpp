// The pages "Gerätenummer" and "VLX-Test" in the real program (service mode): the loop test as a
// technician runs it and what leaving the page leaves on the device; screenshots for the README.
#include <gtest/gtest.h>

#include <algorithm>

#include "KrxApp.h"
#include "SimClient.h"
#include "VlxUsbCodes.h"
#include "resource.h"

TEST(ServicePagesE2ETest, LoopTestRunsUntilTheTabIsLeftAndThenLeavesRedOn)
{
    SimClient::resetAll();
    SimClient::vlxAdd(1);
    SimClient::krxAdd(1);
    KrxApp app;
    ASSERT_TRUE(app.start("-s") && app.mainWindow() != nullptr && app.selectTab("Gerätenummer"));
    HWND page = app.waitPage(IDC_NEW_NUMBER), edit = GetDlgItem(page, IDC_NEW_NUMBER);
    EXPECT_TRUE(waitUntil([&] { return KrxApp::text(edit) == "1"; }, 5000)) << KrxApp::text(edit);
    app.screenshot(app.mainWindow(), "device-number-page");

    ASSERT_TRUE(app.selectTab("VLX-Test"));
    page = app.waitPage(IDC_LOOP_SEND_THREAD);
    KrxApp::press(GetDlgItem(page, IDC_LOOP_READ_THREAD));
    KrxApp::press(GetDlgItem(page, IDC_LOOP_SEND_THREAD));
    HWND received = GetDlgItem(page, IDC_LOOP_RECEIVED);
    EXPECT_TRUE(waitUntil([&] { return std::stoul(KrxApp::text(received)) >= 300; }, 20000));
    app.screenshot(app.mainWindow(), "vlx-test-page");
    ASSERT_TRUE(app.selectTab(0));
    // The Info page's requests follow; the last test command is red alone, and no more come.
    ASSERT_TRUE(waitUntil([] { return SimClient::vlxState(1).portWrites > 0; }, 5000));
    waitUntil([] { return false; }, 500);
    std::vector<SimRequest> log = SimClient::vlxLog(1);
    auto last = std::find_if(log.rbegin(), log.rend(), [](SimRequest const& r) { return r.code == VLX_SEND_TEST_COMMAND; });
    EXPECT_EQ((std::vector<unsigned char>{4, 1, 2, 0}), last->payload);
    EXPECT_EQ(log.size(), SimClient::vlxLog(1).size()) << "a worker outlived its page";
    EXPECT_EQ(0, app.close());
    SimClient::resetAll();
}
