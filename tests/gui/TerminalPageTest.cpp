// The terminal's display format, and the page in this process against the simulated feedback
// interface: its font, and many connect/disconnect cycles with the receive worker blocked in a read.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "HandleCount.h"
#include "PrivateBytes.h"
#include "KrxApp.h"
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
        {"AB", true, false, {">AB"}},
        {"AB\r", true, true, {">41 42 0d "}},
        {"Hi\r\n\xE4\x7F~ ", false, false, {"<Hi    ~ "}},
        {"Hi\r\n\xE4", false, true, {"<48 69 0d 0a e4 "}},
        {"abcdefghijklmnopqrst",
         false,
         true,
         {"<61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 6e 6f 70", " 71 72 73 74 "}},
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

struct TerminalPageTest : ::testing::Test
{
    void SetUp() override { Window::setMainInstance(GetModuleHandleA(nullptr)); }
    Window host{CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 300, nullptr, nullptr,
                                nullptr, nullptr),
                nullptr};
};

// The list gets the page's own "Courier" font, deleted with the page. (Wine maps this request to
// another face: its Courier has no 12-pixel size and it takes no bitmap size above the request.)
TEST_F(TerminalPageTest, ListUsesCourierUntilThePageGoes)
{
    HFONT font;
    {
        TerminalPage page(&host, 3);
        font = (HFONT)SendDlgItemMessageA(page.getHwnd(), IDC_TERMINAL_OUTPUT, WM_GETFONT, 0, 0);
        LOGFONTA asked = {};
        ASSERT_EQ((int)sizeof asked, GetObjectA(font, sizeof asked, &asked));
        EXPECT_STREQ("Courier", asked.lfFaceName);
        EXPECT_EQ(12, asked.lfHeight);
    }
    EXPECT_EQ(0u, GetObjectType(font)) << "font not deleted";
}

// Asynchronous and synchronous; KRX_TERMINAL_CYCLES cycles (scripts/terminal-cycles runs 1000).
TEST_F(TerminalPageTest, CyclesWithBlockedReadLeaveNothingBehind)
{
    char const* env = std::getenv("KRX_TERMINAL_CYCLES");
    int const cycles = env ? std::atoi(env) : 60;
    SimClient::resetAll();
    SimClient::krxAdd(3);
    SimClient::krxSetBlockingRead(3, true);
    for (bool asynchronous : {true, false}) {
        TerminalPage page(&host, 3);
        HWND dialog = page.getHwnd();
        auto click = [&](int id) {
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         (LPARAM)GetDlgItem(dialog, id));
        };
        CheckDlgButton(dialog, IDC_TERMINAL_ASYNC, asynchronous ? BST_CHECKED : BST_UNCHECKED);
        click(IDC_TERMINAL_ASYNC);
        DWORD longest = 0;
        auto cycle = [&]() {
            click(IDC_TERMINAL_CONNECT);
            if (!waitUntil([] { return SimClient::krxState(3).waitingReads == 1; }, 10000))
                return false;
            DWORD start = GetTickCount();
            click(IDC_TERMINAL_CONNECT);
            longest = std::max(longest, GetTickCount() - start);
            return KrxApp::text(GetDlgItem(dialog, IDC_TERMINAL_CONNECT)) == "Verbinden";
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
    EXPECT_TRUE(waitUntil([] { return SimClient::krxState(3).open == 0; }, 5000))
        << "device still open";
}

}
