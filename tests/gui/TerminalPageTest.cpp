// The terminal's display format, and the page in this process against the simulated feedback
// interface: many connect/disconnect cycles with the receive worker blocked in a read.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "KrxApp.h"
#include "SimClient.h"
#include "TerminalFormat.h"
#include "TerminalPage.h"
#include "resource.h"

namespace {

struct FormatCase {
    std::string bytes;
    bool sent;
    bool hex;
    std::vector<std::string> lines;
};

TEST(TerminalFormat, PrefixTextHexAndCutInto48Characters)
{
    std::string twenty = "abcdefghijklmnopqrst";
    FormatCase const cases[] = {
        {"AB", true, false, {">AB"}},
        {"AB\r", true, true, {">41 42 0d "}},
        {"Hi\r\n", false, false, {"<Hi  "}},
        {"Hi\r\n", false, true, {"<48 69 0d 0a "}},
        {"\xE4\x7F\x1F~ \x80", false, false, {"<   ~  "}},
        {"\xE4", false, true, {"<e4 "}},
        {twenty, false, true, {"<61 62 63 64 65 66 67 68 69 6a 6b 6c 6d 6e 6f 70", " 71 72 73 74 "}},
        {std::string(47, 'x'), false, false, {"<" + std::string(47, 'x')}},
        {std::string(48, 'x'), true, false, {">" + std::string(47, 'x'), "x"}},
    };
    for (FormatCase const& c : cases) {
        std::vector<String> got = TerminalFormat::lines(reinterpret_cast<unsigned char const*>(c.bytes.data()),
                                                        (unsigned)c.bytes.size(), c.sent, c.hex);
        std::vector<std::string> lines(got.size());
        for (size_t i = 0; i < got.size(); ++i)
            lines[i] = ~got[i];
        EXPECT_EQ(c.lines, lines) << "bytes \"" << c.bytes << "\", hex " << c.hex;
    }
}

Window hostWindow()
{
    return Window(CreateWindowExA(0, "STATIC", "Host", WS_POPUP | WS_VISIBLE, 0, 0, 600, 300, nullptr, nullptr,
                                  nullptr, nullptr),
                  nullptr);
}

// The list gets the page's own "Courier" font, which the page deletes when it goes. (Wine maps
// this request to another face: its Courier has no 12-pixel size and bitmap sizes above the
// request are not taken. Windows takes the nearest.)
TEST(TerminalPageFont, ListUsesCourierUntilThePageGoes)
{
    Window::setMainInstance(GetModuleHandleA(nullptr));
    Window host = hostWindow();
    HFONT font;
    {
        TerminalPage page(&host, 3);
        font = (HFONT)SendDlgItemMessageA(page.getHwnd(), IDC_TERMINAL_OUTPUT, WM_GETFONT, 0, 0);
        LOGFONTA asked = {};
        ASSERT_EQ((int)sizeof asked, GetObjectA(font, sizeof asked, &asked));
        EXPECT_STREQ("Courier", asked.lfFaceName);
        EXPECT_EQ(12, asked.lfHeight);
        EXPECT_EQ(FW_NORMAL, asked.lfWeight);
    }
    EXPECT_EQ(0u, GetObjectType(font)) << "font not deleted";
}

// Bytes of committed private memory: what a leak of heap, stacks or buffers makes grow.
SIZE_T committedPrivate()
{
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION m;
    for (char* at = nullptr; VirtualQuery(at, &m, sizeof m) == sizeof m; at = (char*)m.BaseAddress + m.RegionSize)
        if (m.State == MEM_COMMIT && m.Type == MEM_PRIVATE)
            total += m.RegionSize;
    return total;
}

// Handles open in this process. Wine's GetProcessHandleCount gives 0, so every value is tried.
unsigned openHandles()
{
    unsigned count = 0;
    DWORD flags;
    for (ULONG_PTR h = 4; h < 0x10000; h += 4)
        count += GetHandleInformation((HANDLE)h, &flags) != 0;
    return count;
}

class TerminalCycles : public ::testing::TestWithParam<bool> // asynchronous
{
};

// KRX_TERMINAL_CYCLES sets the number of cycles (scripts/terminal-cycles runs 1000).
TEST_P(TerminalCycles, ConnectAndDisconnectWithBlockedReadLeaveNothingBehind)
{
    char const* env = std::getenv("KRX_TERMINAL_CYCLES");
    int const cycles = env ? std::atoi(env) : 60;
    Window::setMainInstance(GetModuleHandleA(nullptr));
    SimClient::resetAll();
    SimClient::krxAdd(3);
    SimClient::krxSetBlockingRead(3, true);
    Window host = hostWindow();
    TerminalPage page(&host, 3);
    HWND dialog = page.getHwnd();
    auto command = [&](int id) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
    };
    SendDlgItemMessageA(dialog, IDC_TERMINAL_ASYNC, BM_SETCHECK, GetParam() ? BST_CHECKED : BST_UNCHECKED, 0);
    command(IDC_TERMINAL_ASYNC);
    DWORD maxDisconnect = 0;
    auto cycle = [&]() {
        command(IDC_TERMINAL_CONNECT);
        if (!waitUntil([] { return SimClient::krxState(3).waitingReads == 1; }, 10000))
            return false;
        DWORD start = GetTickCount();
        command(IDC_TERMINAL_CONNECT);
        maxDisconnect = std::max(maxDisconnect, GetTickCount() - start);
        return KrxApp::text(GetDlgItem(dialog, IDC_TERMINAL_CONNECT)) == "Verbinden";
    };
    for (int i = 0; i < 5; ++i) // warm-up: first-use allocations of the system
        ASSERT_TRUE(cycle()) << "warm-up cycle " << i;
    unsigned handlesBefore = openHandles();
    SIZE_T memoryBefore = committedPrivate();
    for (int i = 0; i < cycles; ++i)
        ASSERT_TRUE(cycle()) << "cycle " << i << ": no blocked read or not disconnected";
    unsigned handlesAfter = openHandles();
    SIZE_T memoryAfter = committedPrivate();
    std::printf("%s: %d cycles, handles %u -> %u, committed private memory %lu KB -> %lu KB, "
                "longest disconnect %lu ms\n",
                GetParam() ? "asynchronous" : "synchronous", cycles, handlesBefore, handlesAfter,
                (unsigned long)(memoryBefore / 1024), (unsigned long)(memoryAfter / 1024), maxDisconnect);
    EXPECT_LE(handlesAfter, handlesBefore + 2);
    EXPECT_LE(memoryAfter, memoryBefore + 256 * 1024);
    EXPECT_LT(maxDisconnect, 2000u);
    EXPECT_TRUE(waitUntil([] { return SimClient::krxState(3).open == 0; }, 5000)) << "device still open";
}

INSTANTIATE_TEST_SUITE_P(Modes, TerminalCycles, ::testing::Bool());

}
