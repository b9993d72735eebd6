// The terminal page in the real program against the simulated feedback interface: what goes to
// the device, what the list shows, and how the page holds up under a flood.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "KrxApp.h"
#include "SimClient.h"
#include "resource.h"

namespace {

class TerminalE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SimClient::resetAll();
        SimClient::vlxAdd(1);
        SimClient::krxAdd(1);
        SimClient::krxSetBlockingRead(1, true);
    }
    void TearDown() override { EXPECT_EQ(0, app.close()) << "exit code"; }

    void openPage(std::string const& arguments = std::string())
    {
        ASSERT_TRUE(app.start(arguments));
        ASSERT_NE(nullptr, app.waitPage(IDC_VLX_DRIVER_TEXT, 20000)) << "no Info page";
        ASSERT_TRUE(app.selectTab("KRX-40 Terminal"));
        page = app.waitPage(IDC_TERMINAL_OUTPUT);
        ASSERT_NE(nullptr, page);
    }
    HWND item(int id) { return GetDlgItem(page, id); }
    // Clicks a checkbox and waits until the page has seen it (the click is posted, typing is sent).
    bool toggle(int id)
    {
        LRESULT was = SendMessageW(item(id), BM_GETCHECK, 0, 0);
        KrxApp::press(item(id));
        return waitUntil([&] { return SendMessageW(item(id), BM_GETCHECK, 0, 0) != was; }, 5000);
    }
    bool connected() { return KrxApp::text(item(IDC_TERMINAL_CONNECT)) == "Trennen"; }
    // Connected with the receive worker parked in a read.
    bool receiving() { return connected() && SimClient::krxState(1).waitingReads == 1; }
    std::string lastLine()
    {
        std::vector<std::string> lines = KrxApp::listTexts(item(IDC_TERMINAL_OUTPUT));
        return lines.empty() ? "" : lines.back();
    }
    bool shows(std::string const& line) { return waitUntil([&] { return lastLine() == line; }, 5000); }
    std::vector<std::string> writes()
    {
        std::vector<std::string> result;
        for (SimRequest const& r : SimClient::krxLog(1))
            if (r.code == SIM_REQ_WRITE)
                result.push_back(std::string(r.payload.begin(), r.payload.end()));
        return result;
    }

    KrxApp app;
    HWND page = nullptr;
};

}

// Text, then hex display, on an asynchronous connection, then again after switching it to
// synchronous while connected: a send there must first free the read that blocks the handle.
TEST_F(TerminalE2E, EnterSendsTheLineAndBothWaysShowAsTextOrHex)
{
    openPage();
    EXPECT_FALSE(IsWindowEnabled(item(IDC_TERMINAL_SEND)));
    KrxApp::press(item(IDC_TERMINAL_CONNECT));
    ASSERT_TRUE(waitUntil([&] { return receiving(); }, 5000));
    EXPECT_TRUE(IsWindowEnabled(item(IDC_TERMINAL_SEND)));
    for (char const* mode : {"asynchronous", "synchronous"}) {
        SCOPED_TRACE(mode);
        SimClient::krxClearLog(1);
        KrxApp::type(item(IDC_TERMINAL_INPUT), "\rAB\r");
        EXPECT_TRUE(shows(">AB")) << lastLine();
        EXPECT_EQ(std::vector<std::string>{"AB\r"}, writes()) << "Enter on an empty line sends nothing";
        EXPECT_EQ("", KrxApp::text(item(IDC_TERMINAL_INPUT)));
        SimClient::krxFeed(1, "Hi\r\n\xE4");
        EXPECT_TRUE(shows("<Hi   ")) << lastLine();
        app.screenshot(page, std::string("terminal-text-") + mode);
        EXPECT_TRUE(toggle(IDC_TERMINAL_HEX));
        KrxApp::type(item(IDC_TERMINAL_INPUT), "AB\r");
        EXPECT_TRUE(shows(">41 42 0d ")) << lastLine();
        SimClient::krxFeed(1, "Hi\r\n\xE4");
        EXPECT_TRUE(shows("<48 69 0d 0a e4 ")) << lastLine();
        app.screenshot(page, std::string("terminal-hex-") + mode);
        EXPECT_TRUE(toggle(IDC_TERMINAL_HEX));
        LRESULT lines = SendMessageW(item(IDC_TERMINAL_OUTPUT), LB_GETCOUNT, 0, 0);
        EXPECT_TRUE(toggle(IDC_TERMINAL_ASYNC)); // reconnects at once, keeping the list
        EXPECT_TRUE(waitUntil([&] { return receiving() && SimClient::krxState(1).open; }, 5000));
        EXPECT_EQ(lines, SendMessageW(item(IDC_TERMINAL_OUTPUT), LB_GETCOUNT, 0, 0));
    }
    SimClient::krxFail(1, SIM_REQ_WRITE, (long)0xC000009D);
    KrxApp::type(item(IDC_TERMINAL_INPUT), "CD");
    PostMessageA(item(IDC_TERMINAL_INPUT), WM_CHAR, '\r', 1); // the box is modal: do not wait in a send
    std::string error;
    EXPECT_NE("", app.answer("Fehler beim Senden zum KRX", IDOK, 5000, &error)) << error;
    EXPECT_EQ("CD", KrxApp::text(item(IDC_TERMINAL_INPUT)));
    EXPECT_TRUE(connected());
    KrxApp::press(item(IDC_TERMINAL_CONNECT));
    EXPECT_TRUE(waitUntil([&] { return !connected() && !SimClient::krxState(1).open; }, 5000));
    SimClient::krxRemove(1);
    KrxApp::press(item(IDC_TERMINAL_CONNECT));
    EXPECT_NE(std::string::npos, app.answer("Verbindung zum KRX konnte nicht hergestellt werden", IDOK, 5000, &error)
                                     .find("Fehler beim Öffnen des Krx-Usb-Treibers."))
        << error;
    EXPECT_FALSE(connected());
    EXPECT_FALSE(IsWindowEnabled(item(IDC_TERMINAL_SEND)));
}

// Service mode: "Einzeln" writes byte by byte; without "Read" the box counts the waiting bytes.
TEST_F(TerminalE2E, ServiceModeSendsSingleBytesAndCountsWaitingBytes)
{
    openPage("-s");
    EXPECT_TRUE(toggle(IDC_TERMINAL_SINGLE));
    KrxApp::press(item(IDC_TERMINAL_CONNECT));
    ASSERT_TRUE(waitUntil([&] { return receiving(); }, 5000));
    SimClient::krxClearLog(1);
    KrxApp::type(item(IDC_TERMINAL_INPUT), "AB\r");
    EXPECT_TRUE(shows(">AB"));
    EXPECT_EQ((std::vector<std::string>{"A", "B", "\r"}), writes());
    EXPECT_TRUE(toggle(IDC_TERMINAL_READ));
    SimClient::krxFeed(1, "12345");
    EXPECT_TRUE(waitUntil([&] { return KrxApp::text(item(IDC_TERMINAL_READ)) == "5"; }, 5000));
    EXPECT_TRUE(toggle(IDC_TERMINAL_READ));
    EXPECT_TRUE(shows("<12345"));
    EXPECT_EQ("Read", KrxApp::text(item(IDC_TERMINAL_READ)));
}

// A device that sends without pause: the page keeps answering, the list stays at 100 lines and
// ends with the device's bytes in order, and "Trennen" or another tab ends it all in 2000 ms.
TEST_F(TerminalE2E, FloodKeepsThePageAnsweringAndStopsInTime)
{
    std::string pattern; // what the default flood sends, and as hex pairs
    std::string hexPattern;
    for (int c = SIM_DEFAULT_FLOOD_FIRST; c < SIM_DEFAULT_FLOOD_FIRST + (int)SIM_DEFAULT_FLOOD_LENGTH; ++c) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x ", c);
        pattern += (char)c;
        hexPattern += pair;
    }
    openPage();
    KrxApp::press(item(IDC_TERMINAL_CONNECT));
    ASSERT_TRUE(waitUntil([&] { return receiving(); }, 5000));
    SimClient::krxFlood(1, true);
    for (std::string const& stream : {pattern + pattern, hexPattern + hexPattern}) {
        int late = 0;
        for (DWORD start = GetTickCount(); GetTickCount() - start < 3000;) {
            late += !KrxApp::responsive(page, 100);
            EXPECT_LE(SendMessageW(item(IDC_TERMINAL_OUTPUT), LB_GETCOUNT, 0, 0), 100);
        }
        EXPECT_EQ(0, late) << "messages not answered within 100 ms";
        std::vector<std::string> lines = KrxApp::listTexts(item(IDC_TERMINAL_OUTPUT));
        ASSERT_EQ(100u, lines.size());
        for (size_t i = 90; i < lines.size(); ++i)
            EXPECT_NE(std::string::npos, stream.find(lines[i].substr(lines[i][0] == '<'))) << lines[i];
        app.screenshot(page, "terminal-flood");
        EXPECT_TRUE(toggle(IDC_TERMINAL_HEX));
    }
    DWORD start = GetTickCount();
    KrxApp::press(item(IDC_TERMINAL_CONNECT));
    EXPECT_TRUE(waitUntil([&] { return !connected() && !SimClient::krxState(1).open; }, 2000));
    std::printf("\"Trennen\" during a flood: %lu ms\n", GetTickCount() - start);
    unsigned flooded = SimClient::krxState(1).floodBytes;
    KrxApp::press(item(IDC_TERMINAL_CONNECT));
    ASSERT_TRUE(waitUntil([&] { return connected() && SimClient::krxState(1).floodBytes > flooded + 10000; }, 10000));
    start = GetTickCount();
    ASSERT_TRUE(app.selectTab("Update"));
    EXPECT_TRUE(waitUntil([&] { return !SimClient::krxState(1).open; }, 2000));
    std::printf("leaving the tab during a flood: %lu ms\n", GetTickCount() - start);
}
