// The terminal page in the real program against the simulated feedback interface: what reaches
// the device, what the list shows, and how the page holds up under a flood.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "KrxApp.h"
#include "SimClient.h"
#include "resource.h"

namespace
{

struct TerminalE2E : ::testing::Test
{
    void SetUp() override
    {
        SimClient::resetAll();
        SimClient::vlxAdd(1);
        SimClient::krxAdd(1);
        SimClient::krxSetBlockingRead(1, true);
    }
    void TearDown() override { EXPECT_EQ(0, app.close()) << "exit code"; }

    // Opens the page and connects; the receive worker then waits in a read.
    void connect(std::string const& arguments = std::string())
    {
        ASSERT_TRUE(app.start(arguments));
        ASSERT_NE(nullptr, app.waitPage(IDC_VLX_DRIVER_TEXT, 20000)) << "no Info page";
        ASSERT_TRUE(app.selectTab("KRX-40 Terminal"));
        ASSERT_NE(nullptr, page = app.waitPage(IDC_TERMINAL_OUTPUT));
        KrxApp::press(item(IDC_TERMINAL_CONNECT));
        ASSERT_TRUE(waitUntil([&] { return receiving(); }, 5000));
    }
    HWND item(int id) { return GetDlgItem(page, id); }
    bool connected() { return KrxApp::text(item(IDC_TERMINAL_CONNECT)) == "Trennen"; }
    bool receiving() { return connected() && SimClient::krxState(1).waitingReads == 1; }
    // Clicks a checkbox and waits until it has changed (the click is posted, typing is sent).
    bool toggle(int id)
    {
        LRESULT was = SendMessageW(item(id), BM_GETCHECK, 0, 0);
        KrxApp::press(item(id));
        return waitUntil([&] { return SendMessageW(item(id), BM_GETCHECK, 0, 0) != was; }, 5000);
    }
    std::vector<std::string> lines() { return KrxApp::listTexts(item(IDC_TERMINAL_OUTPUT)); }
    bool shows(std::string const& line)
    {
        return waitUntil([&] { return !lines().empty() && lines().back() == line; }, 5000);
    }
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

// Text, then hex display, first asynchronous, then switched to synchronous while connected (the
// list keeps its lines): there a send must first free the read that blocks the handle.
TEST_F(TerminalE2E, EnterSendsTheLineAndBothWaysShowAsTextOrHex)
{
    connect();
    for (char const* mode : {"asynchronous", "synchronous"}) {
        SCOPED_TRACE(mode);
        SimClient::krxClearLog(1);
        KrxApp::type(item(IDC_TERMINAL_INPUT), "\rAB\r");
        EXPECT_TRUE(shows(">AB"));
        EXPECT_EQ(std::vector<std::string>{"AB\r"}, writes())
            << "Enter on an empty line sends nothing";
        EXPECT_EQ("", KrxApp::text(item(IDC_TERMINAL_INPUT)));
        SimClient::krxFeed(1, "Hi\r\n\xE4");
        EXPECT_TRUE(shows("<Hi   "));
        app.screenshot(page, std::string("terminal-text-") + mode);
        EXPECT_TRUE(toggle(IDC_TERMINAL_HEX));
        KrxApp::type(item(IDC_TERMINAL_INPUT), "AB\r");
        EXPECT_TRUE(shows(">41 42 0d "));
        SimClient::krxFeed(1, "Hi\r\n\xE4");
        EXPECT_TRUE(shows("<48 69 0d 0a e4 "));
        app.screenshot(page, std::string("terminal-hex-") + mode);
        EXPECT_TRUE(toggle(IDC_TERMINAL_HEX));
        size_t kept = lines().size();
        EXPECT_TRUE(toggle(IDC_TERMINAL_ASYNC));
        EXPECT_TRUE(waitUntil([&] { return receiving(); }, 5000));
        EXPECT_EQ(kept, lines().size());
    }
}

// Service mode: "Einzeln" writes byte by byte; without "Read" the box counts the waiting bytes.
TEST_F(TerminalE2E, ServiceModeSendsSingleBytesAndCountsWaitingBytes)
{
    connect("-s");
    EXPECT_TRUE(toggle(IDC_TERMINAL_SINGLE));
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

// The page keeps answering (a busy machine may delay an answer, a blocked page never gives one),
// holds 100 lines ending with the device's bytes in order, and "Trennen" or another tab ends it
// all within 2000 ms.
TEST_F(TerminalE2E, FloodKeepsThePageAnsweringAndStopsInTime)
{
    std::string text, hex; // the default flood pattern, twice, as shown
    for (int i = 0; i < 2 * (int)SIM_DEFAULT_FLOOD_LENGTH; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x ",
                      SIM_DEFAULT_FLOOD_FIRST + i % (int)SIM_DEFAULT_FLOOD_LENGTH);
        text += (char)(SIM_DEFAULT_FLOOD_FIRST + i % SIM_DEFAULT_FLOOD_LENGTH);
        hex += pair;
    }
    connect();
    SimClient::krxFlood(1, true);
    for (std::string const& stream : {text, hex}) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 3000;) {
            EXPECT_TRUE(KrxApp::responsive(page, 1000));
            EXPECT_LE(SendMessageW(item(IDC_TERMINAL_OUTPUT), LB_GETCOUNT, 0, 0), 100);
        }
        std::vector<std::string> shown = lines();
        ASSERT_EQ(100u, shown.size());
        for (size_t i = 90; i < shown.size(); ++i)
            EXPECT_NE(std::string::npos, stream.find(shown[i].substr(shown[i][0] == '<')))
                << shown[i];
        EXPECT_TRUE(toggle(IDC_TERMINAL_HEX));
    }
    DWORD start = GetTickCount();
    KrxApp::press(item(IDC_TERMINAL_CONNECT));
    EXPECT_TRUE(waitUntil([&] { return !connected() && !SimClient::krxState(1).open; }, 2000));
    std::printf("\"Trennen\" during a flood: %lu ms\n", GetTickCount() - start);
    unsigned flooded = SimClient::krxState(1).floodBytes;
    KrxApp::press(item(IDC_TERMINAL_CONNECT));
    ASSERT_TRUE(waitUntil(
        [&] { return connected() && SimClient::krxState(1).floodBytes > flooded + 10000; }, 10000));
    start = GetTickCount();
    ASSERT_TRUE(app.selectTab("Update"));
    EXPECT_TRUE(waitUntil([&] { return !SimClient::krxState(1).open; }, 2000));
    std::printf("leaving the tab during a flood: %lu ms\n", GetTickCount() - start);
}
