// The terminal's display format, and the page in this process against the simulated feedback
// interface: what reaches the device and what the list shows, service mode, a flood, its font,
// and many connect/disconnect cycles with the receive worker blocked in a read.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "HandleCount.h"
#include "PageHost.h"
#include "PrivateBytes.h"
#include "ProgramSettings.h"
#include "SimClient.h"
#include "TerminalFormat.h"
#include "TerminalPage.h"
#include "resource.h"

namespace
{

TEST(TerminalFormat, PrefixTextHexAndCutInto48Characters)
{
    struct
    {
        std::string bytes;
        bool sent, hex;
        std::vector<std::string> lines;
    } const cases[] = {
        // Short lines both ways as text and hex: see the page's test below; hex is cut as text is.
        {"Hi\r\n\xE4\x7F~ ", false, false, {"<Hi    ~ "}},
        {std::string(48, 'x'), true, false, {">" + std::string(47, 'x'), "x"}},
    };
    for (auto const& c : cases) {
        std::vector<std::string> lines;
        for (String const& line : TerminalFormat::lines((unsigned char const*)c.bytes.data(),
                                                        c.bytes.size(), c.sent, c.hex))
            lines.push_back(~line);
        EXPECT_EQ(c.lines, lines) << "bytes \"" << c.bytes << "\", hex " << c.hex;
    }
}

// The page for device 3, whose reads block until bytes come. Clicks are sent: the page has
// handled one when click returns. The receive worker hands its bytes over by sent messages, so
// what comes from the device shows only while the test waits (waitUntil serves them).
struct TerminalPageTest : ::testing::Test, PageHost
{
    void SetUp() override
    {
        SimClient::resetAll();
        SimClient::krxAdd(3);
        SimClient::krxSetBlockingRead(3, true);
    }
    void TearDown() override
    {
        page.reset();
        ProgramSettings::serviceMode = false;
        EXPECT_TRUE(waitUntil([] { return SimClient::krxState(3).open == 0; }, 5000))
            << "device still open";
        SimClient::resetAll();
    }

    bool connected() { return text(IDC_TERMINAL_CONNECT) == "Trennen"; }
    bool receiving() { return connected() && SimClient::krxState(3).waitingReads == 1; }
    // Opens the page and connects; the receive worker then waits in a read.
    void connect()
    {
        page.reset(new TerminalPage(&window, 3));
        click(IDC_TERMINAL_CONNECT);
        ASSERT_TRUE(waitUntil([&] { return receiving(); }, 10000));
    }
    std::vector<std::string> lines() { return KrxApp::listTexts(item(IDC_TERMINAL_OUTPUT)); }
    bool shows(std::string const& line)
    {
        return waitUntil([&] { return !lines().empty() && lines().back() == line; }, 10000);
    }
    std::vector<std::string> writes()
    {
        std::vector<std::string> result;
        for (SimRequest const& r : SimClient::krxLog(3))
            if (r.code == SIM_REQ_WRITE)
                result.push_back(std::string(r.payload.begin(), r.payload.end()));
        return result;
    }
};

// Text, then hex display, synchronous (the program's default, asynchronous, is run end to end):
// there a send must first free the read that blocks the handle. The switch keeps the list's lines.
TEST_F(TerminalPageTest, EnterSendsTheLineAndBothWaysShowAsTextOrHex)
{
    connect();
    SimClient::krxFeed(3, "Hi\r\n\xE4");
    EXPECT_TRUE(shows("<Hi   "));
    click(IDC_TERMINAL_ASYNC);
    EXPECT_TRUE(waitUntil([&] { return receiving(); }, 10000));
    EXPECT_EQ(1u, lines().size());
    SimClient::krxClearLog(3);
    KrxApp::type(item(IDC_TERMINAL_INPUT), "\rAB\r");
    EXPECT_TRUE(shows(">AB"));
    EXPECT_EQ(std::vector<std::string>{"AB\r"}, writes()) << "Enter on an empty line sends nothing";
    EXPECT_EQ("", text(IDC_TERMINAL_INPUT));
    click(IDC_TERMINAL_HEX);
    KrxApp::type(item(IDC_TERMINAL_INPUT), "AB\r");
    EXPECT_TRUE(shows(">41 42 0d "));
    SimClient::krxFeed(3, "Hi\r\n\xE4");
    EXPECT_TRUE(shows("<48 69 0d 0a e4 "));
}

// Service mode: "Einzeln" writes byte by byte; without "Read" the box counts the waiting bytes.
TEST_F(TerminalPageTest, ServiceModeSendsSingleBytesAndCountsWaitingBytes)
{
    ProgramSettings::serviceMode = true;
    connect();
    click(IDC_TERMINAL_SINGLE);
    SimClient::krxClearLog(3);
    KrxApp::type(item(IDC_TERMINAL_INPUT), "AB\r");
    EXPECT_EQ((std::vector<std::string>{"A", "B", "\r"}), writes());
    click(IDC_TERMINAL_READ);
    SimClient::krxFeed(3, "12345");
    EXPECT_TRUE(waitUntil([&] { return text(IDC_TERMINAL_READ) == "5"; }, 10000));
    click(IDC_TERMINAL_READ);
    EXPECT_TRUE(shows("<12345"));
    EXPECT_EQ("Read", text(IDC_TERMINAL_READ));
}

// The page keeps answering another thread (a busy machine may delay an answer, a blocked page
// never gives one), never holds more than 100 lines, ends with the device's bytes in order, and
// "Trennen" or closing the page (leaving the tab) ends it all within 2000 ms.
TEST_F(TerminalPageTest, FloodKeepsThePageAnsweringAndStopsInTime)
{
    std::string stream; // the default flood pattern, twice
    for (int i = 0; i < 2 * (int)SIM_DEFAULT_FLOOD_LENGTH; ++i)
        stream += (char)(SIM_DEFAULT_FLOOD_FIRST + i % SIM_DEFAULT_FLOOD_LENGTH);
    connect();
    SimClient::krxFlood(3, true);
    HWND dialog = page->getHwnd();
    std::atomic<bool> flooding{true}, done{false};
    std::atomic<int> asked{0}, late{0};
    std::thread prober([&] {
        for (DWORD_PTR result; flooding; ++asked, Sleep(50))
            late += !SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result);
        done = true;
    });
    LRESULT most = 0; // the list's longest state between two of this thread's messages
    EXPECT_TRUE(waitUntil(
        [&] {
            most = std::max(most, SendMessageW(item(IDC_TERMINAL_OUTPUT), LB_GETCOUNT, 0, 0));
            return asked >= 60;
        },
        60000));
    flooding = false;
    // The prober may still wait for an answer from this thread.
    waitUntil([&] { return done.load(); }, 5000);
    prober.join();
    EXPECT_EQ(0, late) << "of " << asked << " questions";
    EXPECT_LE(most, 100);
    std::vector<std::string> shown = lines();
    ASSERT_EQ(100u, shown.size());
    for (size_t i = 90; i < shown.size(); ++i)
        EXPECT_NE(std::string::npos, stream.find(shown[i].substr(shown[i][0] == '<'))) << shown[i];
    // From the stop to the device closed.
    auto stopsInTime = [&](char const* what, std::function<void()> stop) {
        DWORD start = GetTickCount();
        stop();
        EXPECT_TRUE(waitUntil([] { return SimClient::krxState(3).open == 0; }, 2000)) << what;
        DWORD took = GetTickCount() - start;
        std::printf("%s during a flood: %lu ms\n", what, took);
        EXPECT_LT(took, 2000u) << what;
    };
    stopsInTime("\"Trennen\"", [&] { click(IDC_TERMINAL_CONNECT); });
    EXPECT_FALSE(connected());
    unsigned flooded = SimClient::krxState(3).floodBytes;
    click(IDC_TERMINAL_CONNECT);
    ASSERT_TRUE(
        waitUntil([&] { return SimClient::krxState(3).floodBytes > flooded + 10000; }, 10000));
    stopsInTime("closing the page", [&] { page.reset(); });
}

// The list gets the page's own "Courier" font, deleted with the page. (Wine maps this request to
// another face: its Courier has no 12-pixel size and it takes no bitmap size above the request.)
TEST_F(TerminalPageTest, ListUsesCourierUntilThePageGoes)
{
    page.reset(new TerminalPage(&window, 3));
    HFONT font = (HFONT)SendMessageA(item(IDC_TERMINAL_OUTPUT), WM_GETFONT, 0, 0);
    LOGFONTA asked = {};
    ASSERT_EQ((int)sizeof asked, GetObjectA(font, sizeof asked, &asked));
    EXPECT_STREQ("Courier", asked.lfFaceName);
    EXPECT_EQ(12, asked.lfHeight);
    page.reset();
    EXPECT_EQ(0u, GetObjectType(font)) << "font not deleted";
}

// Asynchronous and synchronous; KRX_TERMINAL_CYCLES cycles (scripts/terminal-cycles runs 1000).
TEST_F(TerminalPageTest, CyclesWithBlockedReadLeaveNothingBehind)
{
    char const* env = std::getenv("KRX_TERMINAL_CYCLES");
    int const cycles = env ? std::atoi(env) : 60;
    for (bool asynchronous : {true, false}) {
        page.reset(new TerminalPage(&window, 3));
        if (!asynchronous)
            click(IDC_TERMINAL_ASYNC);
        DWORD longest = 0;
        auto cycle = [&]() {
            click(IDC_TERMINAL_CONNECT);
            if (!waitUntil([&] { return receiving(); }, 10000))
                return false;
            DWORD start = GetTickCount();
            click(IDC_TERMINAL_CONNECT);
            longest = std::max(longest, GetTickCount() - start);
            return text(IDC_TERMINAL_CONNECT) == "Verbinden";
        };
        for (int i = 0; i < 5; ++i) // warm-up: the system's first-use allocations
            ASSERT_TRUE(cycle());
        long handles = openHandles();
        SIZE_T memory = privateBytes();
        for (int i = 0; i < cycles; ++i)
            ASSERT_TRUE(cycle()) << "cycle " << i << ": no blocked read or not disconnected";
        std::printf("%s: %d cycles, handles %ld -> %ld, committed private memory %lu KB -> %lu KB, "
                    "longest disconnect %lu ms\n",
                    asynchronous ? "asynchronous" : "synchronous", cycles, handles, openHandles(),
                    (unsigned long)(memory / 1024), (unsigned long)(privateBytes() / 1024),
                    longest);
        EXPECT_LE(openHandles(), handles + 2);
        EXPECT_LE(privateBytes(), memory + 256 * 1024);
        EXPECT_LT(longest, 2000u);
    }
}

}
