#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "KrxApp.h"
#include "SimClient.h"
#include "Version.h"
#include "resource.h"

namespace
{

typedef std::vector<std::string> Texts;

Texts const threeTabs = {"Info", "Update", "KRX-40 Terminal"};
Texts const fourTabs = {"Info", "Gerätenummer", "Update", "KRX-40 Terminal"};
Texts const fiveTabs = {"Info", "Gerätenummer", "Update", "KRX-40 Terminal", "VLX-Test"};

std::string driverText(unsigned n)
{
    return "Velmora Simulator " + std::to_string(n);
}

// Both devices of one number, the command station with a driver text that names the number.
void addDevice(unsigned n)
{
    SimClient::vlxAdd(n);
    SimClient::vlxSetDriverText(n, driverText(n));
    SimClient::krxAdd(n);
}

class MainDialogE2ETest : public ::testing::Test
{
protected:
    void SetUp() override { SimClient::resetAll(); }

    void TearDown() override
    {
        if (app.isRunning()) {
            expectNoErrorBox();
            EXPECT_EQ(0, app.close()) << "exit code";
        }
    }

    // Starts the program and waits until the main dialog is there with its version text.
    void startProgram(std::string const& arguments = std::string())
    {
        ASSERT_TRUE(app.start(arguments));
        ASSERT_NE(nullptr, app.mainWindow()) << "no main window";
        HWND version = app.mainControl(IDC_VERSION);
        ASSERT_TRUE(
            waitUntil([&] { return KrxApp::text(version) == "Version: " KRX_VERSION; }, 10000))
            << KrxApp::text(version);
    }

    HWND control(int id) { return app.mainControl(id); }

    // The visible page is the Info page of that device (its driver text names the number).
    void expectInfoPageOf(unsigned n)
    {
        EXPECT_EQ(0, app.selectedTab());
        HWND page = app.waitPage(IDC_VLX_DRIVER_TEXT);
        ASSERT_NE(nullptr, page) << "no Info page";
        HWND text = GetDlgItem(page, IDC_VLX_DRIVER_TEXT);
        EXPECT_TRUE(waitUntil([&] { return KrxApp::text(text) == driverText(n); }, 5000))
            << KrxApp::text(text);
    }

    void expectNoErrorBox()
    {
        for (HWND box : app.dialogs())
            ADD_FAILURE() << "unexpected dialog \"" << KrxApp::text(box)
                          << "\": " << KrxApp::messageBoxText(box);
    }

    KrxApp app;
};

}

TEST_F(MainDialogE2ETest, NoDeviceHidesTheTabsAndSaysSo)
{
    startProgram();
    HWND main = app.mainWindow();
    EXPECT_EQ("Velmora KRX-40", KrxApp::text(main));
    HWND list = control(IDC_DEVICE_LIST);
    EXPECT_TRUE(KrxApp::comboTexts(list).empty());
    EXPECT_EQ(CB_ERR, KrxApp::comboSelection(list));
    EXPECT_FALSE(IsWindowVisible(control(IDC_TABS)));
    EXPECT_EQ("Kein Gerät angeschlossen.", KrxApp::text(control(IDC_STATUS)));
    EXPECT_EQ(nullptr, app.page());
    EXPECT_TRUE(app.pages().empty());
    // The tabs exist even so; only their control is hidden.
    EXPECT_EQ(threeTabs, app.tabTexts());

    // The main window's client area is exactly the dialog.
    RECT client, dialog;
    ASSERT_TRUE(GetClientRect(main, &client));
    ASSERT_TRUE(GetWindowRect(app.mainDialog(), &dialog));
    EXPECT_EQ(dialog.right - dialog.left, client.right);
    EXPECT_EQ(dialog.bottom - dialog.top, client.bottom);
    LONG style = GetWindowLongA(main, GWL_STYLE);
    EXPECT_EQ(0, style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_NE(0, style & WS_SYSMENU);
    EXPECT_NE("", app.screenshot(main, "main-no-device"));
}

// The tab set follows service mode and whether a device numbered above 1 was found at start.
struct TabCase
{
    std::vector<unsigned> devices;
    char const* arguments;
    Texts tabs;
};

class TabSetE2ETest : public MainDialogE2ETest, public ::testing::WithParamInterface<TabCase>
{};

TEST_P(TabSetE2ETest, ByDevicesAndServiceMode)
{
    TabCase const& c = GetParam();
    Texts numbers;
    for (unsigned n : c.devices) {
        addDevice(n);
        numbers.push_back(std::to_string(n));
    }
    startProgram(c.arguments);
    HWND list = control(IDC_DEVICE_LIST);
    EXPECT_EQ(numbers, KrxApp::comboTexts(list));
    EXPECT_EQ(0, KrxApp::comboSelection(list));
    EXPECT_EQ(c.tabs, app.tabTexts());
    EXPECT_TRUE(IsWindowVisible(control(IDC_TABS)));
    EXPECT_EQ("", KrxApp::text(control(IDC_STATUS)));
    expectInfoPageOf(1);
    expectNoErrorBox();
}

INSTANTIATE_TEST_SUITE_P(Cases, TabSetE2ETest,
                         ::testing::Values(TabCase{{1, 3}, "", fourTabs},
                                           TabCase{{1}, "", threeTabs},
                                           TabCase{{1}, "-s", fiveTabs}));

TEST_F(MainDialogE2ETest, SwitchingTabsDestroysTheOldPageBeforeTheNextOpensTheDevice)
{
    addDevice(1);
    addDevice(3);
    startProgram("-s");
    expectInfoPageOf(1);
    ASSERT_EQ(fiveTabs, app.tabTexts());
    for (int round = 0; round < 2; ++round) {
        for (int tab : {2, 0, 4, 1, 3}) {
            HWND old = app.page();
            ASSERT_TRUE(app.selectTab(tab)) << "tab " << tab;
            // A page still holding its channel would make the next page's exclusive open
            // fail with a sharing violation, which the page reports in a message box.
            waitUntil([&] { return !app.dialogs().empty(); }, 300);
            expectNoErrorBox();
            if (!app.dialogs().empty())
                return;
            if (old != nullptr) {
                EXPECT_FALSE(IsWindow(old)) << "tab " << tab;
            }
            EXPECT_LE(app.pages().size(), 1u) << "tab " << tab;
        }
    }
    // Pages that close their channel when they are left leave the device free.
    EXPECT_TRUE(waitUntil([&] { return SimClient::vlxState(1).open == 0; }, 5000));
    SimClient::vlxClearLog(1);
    ASSERT_TRUE(app.selectTab(0));
    expectInfoPageOf(1);
    EXPECT_FALSE(SimClient::vlxLog(1).empty()) << "the new Info page did not read the device";
}

// The version is written once, in the project: the version resource of the program file carries
// the same numbers and text as the "Version:" line that every test here waits for.
TEST(ProgramVersionTest, VersionResourceMatchesTheVersionText)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%d.%02d", KRX_VERSION_MAJOR, KRX_VERSION_MINOR);
    EXPECT_STREQ(KRX_VERSION, text);

    std::string file = windowsPath(KRX_PROGRAM_PATH);
    DWORD handle = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(file.c_str(), &handle));
    ASSERT_FALSE(info.empty()) << "no version resource, error " << GetLastError();
    ASSERT_TRUE(GetFileVersionInfoA(file.c_str(), 0, info.size(), info.data())) << GetLastError();
    void* value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &value, &size));
    auto const* fixed = static_cast<VS_FIXEDFILEINFO const*>(value);
    EXPECT_EQ(DWORD(MAKELONG(KRX_VERSION_MINOR, KRX_VERSION_MAJOR)), fixed->dwFileVersionMS);
    EXPECT_EQ(DWORD(MAKELONG(KRX_VERSION_MINOR, KRX_VERSION_MAJOR)), fixed->dwProductVersionMS);
    for (char const* name : {"FileVersion", "ProductVersion"}) {
        std::string key = std::string("\\StringFileInfo\\040704e4\\") + name;
        ASSERT_TRUE(VerQueryValueA(info.data(), key.c_str(), &value, &size)) << name;
        EXPECT_STREQ(KRX_VERSION, static_cast<char const*>(value)) << name;
    }
}
