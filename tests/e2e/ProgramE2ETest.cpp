// The real service program: its start, its main window and its real pages in turn, the version it
// carries, and the update its Info page starts at once for a device in emergency mode. Which tabs
// come when and in which order pages go and come (tests/gui/MainDialogTest.cpp), and what the
// pages do (tests/app, tests/gui/TerminalPageTest.cpp), are tested in-process.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "KrxApp.h"
#include "RealInput.h"
#include "SimClient.h"
#include "Version.h"
#include "resource.h"

// Devices 1 and 3 found at the start, in service mode ("-s"): the window, the list, all five
// tabs with the Info page of device 1 (its driver text names the number), and each real page in
// turn without an error: a page still holding its channel would make the next page's exclusive
// open fail with a sharing violation, which the page reports in a message box. Screenshots of
// the main window and of the pages for the README.
TEST(MainDialogE2ETest, StartShowsTheDevicesAndEveryPageWorksInTurn)
{
    SimClient::resetAll();
    for (unsigned n : {1, 3}) {
        SimClient::vlxAdd(n);
        SimClient::vlxSetDriverText(n, "Velmora Simulator " + std::to_string(n));
        SimClient::krxAdd(n);
    }
    KrxApp app;
    ASSERT_TRUE(app.start("-s"));
    HWND main = app.mainWindow();
    ASSERT_NE(nullptr, main) << "no window of class \"Velmora KRX-40 MainKlasse\"";
    EXPECT_EQ("Velmora KRX-40", KrxApp::text(main));
    // The dialog and its first page fill their controls before they show.
    EXPECT_EQ("Version: " KRX_VERSION, KrxApp::text(app.mainControl(IDC_VERSION)));
    HWND devices = app.mainControl(IDC_DEVICE_LIST);
    EXPECT_EQ((std::vector<std::string>{"1", "3"}), KrxApp::comboTexts(devices));
    EXPECT_EQ(0, SendMessageW(devices, CB_GETCURSEL, 0, 0));
    HWND text = GetDlgItem(app.waitPage(IDC_VLX_DRIVER_TEXT), IDC_VLX_DRIVER_TEXT);
    EXPECT_EQ("Velmora Simulator 1", KrxApp::text(text));
    // The main window's client area is exactly the dialog; its size is fixed.
    RECT client, dialog;
    ASSERT_TRUE(GetClientRect(main, &client));
    ASSERT_TRUE(GetWindowRect(GetParent(devices), &dialog));
    EXPECT_EQ(dialog.right - dialog.left, client.right);
    EXPECT_EQ(dialog.bottom - dialog.top, client.bottom);
    LONG style = GetWindowLongA(main, GWL_STYLE);
    EXPECT_EQ(0, style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_NE(0, style & WS_SYSMENU);
    EXPECT_NE("", app.screenshot(main, "main-window"));

    for (int tab : {2, 0, 4, 1, 3}) {
        HWND old = app.page();
        ASSERT_TRUE(app.selectTab(tab)) << "tab " << tab;
        HWND now = nullptr;
        EXPECT_TRUE(waitUntil(
            [&] { return ((now = app.page()) != nullptr && now != old) || !app.dialogs().empty(); },
            10000))
            << "tab " << tab;
        for (HWND box : app.dialogs())
            FAIL() << "tab " << tab << ": unexpected dialog \"" << KrxApp::text(box)
                   << "\": " << KrxApp::messageBoxText(box);
        if (tab == 1) {
            EXPECT_NE("", app.screenshot(main, "device-number-page"));
        } else if (tab == 4) { // the loop test as a technician runs it, left running
            KrxApp::press(GetDlgItem(now, IDC_LOOP_READ_THREAD));
            KrxApp::press(GetDlgItem(now, IDC_LOOP_SEND_THREAD));
            HWND received = GetDlgItem(now, IDC_LOOP_RECEIVED);
            EXPECT_TRUE(
                waitUntil([&] { return std::stoul(KrxApp::text(received)) >= 300; }, 20000));
            EXPECT_NE("", app.screenshot(main, "vlx-test-page"));
        }
    }
    // The terminal: a real Enter key through the program's own message loop (where a dialog may
    // take it for its default button), and traffic both ways for the screenshot.
    HWND page = app.waitPage(IDC_TERMINAL_INPUT), input = GetDlgItem(page, IDC_TERMINAL_INPUT);
    HWND list = GetDlgItem(page, IDC_TERMINAL_OUTPUT);
    SimClient::krxSetBlockingRead(1, true);
    KrxApp::press(GetDlgItem(page, IDC_TERMINAL_CONNECT));
    ASSERT_TRUE(waitUntil([] { return SimClient::krxState(1).waitingReads == 1; }, 10000));
    auto shows = [&](std::vector<std::string> const& lines) {
        return waitUntil([&] { return KrxApp::listTexts(list) == lines; }, 10000);
    };
    // A click in the edit gives it the keys.
    RECT r;
    ASSERT_TRUE(GetWindowRect(input, &r));
    ASSERT_TRUE(RealInput::click({(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
    KrxApp::type(input, "AB");
    ASSERT_TRUE(RealInput::key(VK_RETURN));
    EXPECT_TRUE(shows({">AB"}));
    SimClient::krxFeed(1, "Hi\r\n\xE4");
    EXPECT_TRUE(shows({">AB", "<Hi   "}));
    EXPECT_NE("", app.screenshot(page, "terminal-text"));
    EXPECT_EQ(0, app.close()) << "exit code";
    SimClient::resetAll();
}

// The version is written once, in the project: the version resource of the program file carries
// the same numbers and text as the "Version:" line of the main dialog.
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
    ASSERT_TRUE(
        VerQueryValueA(info.data(), "\\StringFileInfo\\040704e4\\FileVersion", &value, &size));
    EXPECT_STREQ(KRX_VERSION, static_cast<char const*>(value));
}

// On a command station in emergency mode the Info page runs the update of the built-in image at
// once, and the program goes on once the dialog is closed. The screenshot "progress-dialog-end" is
// kept among the artefacts.
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
