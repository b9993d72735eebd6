// The pages "Gerätenummer" and "VLX-Test" in this process against a simulated command station
// (which loops test packets back): what reaches the device, what the page shows, and that the
// test page's workers always stop.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "ChannelTestUtil.h"
#include "DeviceNumberPage.h"
#include "HandleCount.h"
#include "PrivateBytes.h"
#include "PageHost.h"
#include "VlxTestPage.h"
#include "VlxUsbCodes.h"
#include "resource.h"

namespace
{
typedef std::vector<unsigned> Values;

class PageTest : public ::testing::Test, protected PageHost
{
protected:
    void SetUp() override
    {
        SimClient::resetAll();
        SimClient::vlxAdd(3);
    }
    void TearDown() override
    {
        page.reset();
        SimClient::resetAll();
    }
    template <class P>
    void open(unsigned char number = 3)
    {
        page.reset(new P(&window, number));
    }
    // The payloads of one request code; for test commands the values of one selector.
    Values sent(unsigned long code, int selector = -1)
    {
        Values values;
        for (Entry const& e : received(false, 3))
            if (e.first == code && selector < 0)
                values.push_back(e.second.at(0));
            else if (e.first == code && e.second.at(1) == selector)
                values.push_back(e.second.at(2) | e.second.at(3) << 8);
        return values;
    }
};
}

TEST_F(PageTest, DeviceNumberTypedOrSteppedIsWrittenEachTime)
{
    SimClient::vlxFail(3, VLX_SET_DEVICE_NUMBER, notConnected, 5);
    open<DeviceNumberPage>();
    EXPECT_EQ("3", text(IDC_CURRENT_NUMBER));
    // Each row: the edit's new text (null: kept), arrow steps (+ up), what it then shows.
    struct
    {
        char const* text;
        int steps;
        char const* shown;
    } const rows[] = {
        {nullptr, 3, "6"}, {"300", 1, "255"}, {"42", -2, "40"}, {"", 0, ""}, {"1", -3, "0"}};
    for (auto const& r : rows) {
        if (r.text)
            SetWindowTextA(item(IDC_NEW_NUMBER), r.text);
        for (int i = 0; i < abs(r.steps); ++i)
            for (UINT message : {WM_KEYDOWN, WM_KEYUP})
                SendMessageA(item(IDC_NEW_NUMBER), message, r.steps > 0 ? VK_UP : VK_DOWN, 1);
        EXPECT_EQ(r.shown, text(IDC_NEW_NUMBER)) << r.steps;
        click(IDC_APPLY_NUMBER);
    }
    // A failed write is shown and changes nothing; "Übernehmen" then writes again.
    EXPECT_EQ(Seen{"Fehler: " + accessText},
              answerBoxes({{"Fehler"}}, [&] { click(IDC_APPLY_NUMBER); }));
    click(IDC_APPLY_NUMBER);
    EXPECT_EQ((Values{6, 255, 40, 40, 0, 0, 0}), sent(VLX_SET_DEVICE_NUMBER));
    EXPECT_EQ("3", text(IDC_CURRENT_NUMBER));
    // Opening or reading fails: the edit shows the page's number; no channel, nothing written.
    SimClient::vlxFail(3, VLX_GET_DEVICE_NUMBER, notConnected);
    for (unsigned char number : {3, 7}) {
        page.reset();
        SimClient::vlxClearLog(3);
        EXPECT_EQ(Seen{"Fehler: " + (number == 3 ? accessText : openText)},
                  answerBoxes({{"Fehler"}}, [&] { open<DeviceNumberPage>(number); }));
        EXPECT_EQ(std::to_string(number), text(IDC_NEW_NUMBER));
        click(IDC_APPLY_NUMBER);
        EXPECT_EQ(number == 3 ? Values{3} : Values{}, sent(VLX_SET_DEVICE_NUMBER));
    }
}

TEST_F(PageTest, TestPageButtonsAndBoxesSendWhatTheyShow)
{
    open<VlxTestPage>();
    EXPECT_EQ((Log{{VLX_GET_FIRMWARE_VERSION, {}}}), received(false, 3))
        << "the start sends nothing";
    click(IDC_LOOP_SINGLE_SEND);
    EXPECT_EQ("0 1", text(IDC_LOOP_LAST_SENT) + " " + text(IDC_LOOP_SENT));
    for (int box : {IDC_LED_GREEN, IDC_LED_RED, IDC_PIN_P31})
        click(box);
    click(IDC_LOOP_RESET);
    EXPECT_EQ(" 0 0",
              text(IDC_LOOP_LAST_SENT) + " " + text(IDC_LOOP_SENT) + text(IDC_LOOP_LAST_RECEIVED) +
                  " " + text(IDC_LOOP_RECEIVED));
    SimClient::vlxFail(3, VLX_SEND_TEST_COMMAND, notConnected, 0, true);
    std::string const caption = "Fehler beim Zugriff auf die Velmora";
    EXPECT_EQ(Seen(2, caption + ": " + accessText), answerBoxes({{caption}, {caption}}, [&] {
                  click(IDC_LOOP_SINGLE_SEND);
                  click(IDC_PIN_P16);
              }));
    EXPECT_TRUE(checked(IDC_PIN_P16));
    SimClient::vlxClearFailures(3);
    page.reset();
    EXPECT_EQ((Values{0x03, 0x01, 0x21, 0x25, 0x02}), sent(VLX_SEND_TEST_COMMAND, 1))
        << "0x02 last, at closing";
}

TEST_F(PageTest, TestPageWorkersCountBothWaysAndEachStartBeginsAtZero)
{
    open<VlxTestPage>();
    size_t total = 0;
    for (size_t run : {300, 20}) {
        click(IDC_LOOP_SEND_THREAD);
        ASSERT_TRUE(
            waitUntil([&] { return sent(VLX_SEND_TEST_COMMAND, 0).size() >= total + run; }, 30000));
        click(IDC_LOOP_SEND_THREAD);
        Values values = sent(VLX_SEND_TEST_COMMAND, 0);
        for (size_t i = total; i < values.size(); ++i)
            ASSERT_EQ((i - total) % 256, values[i]) << "packet " << i;
        total = values.size();
        EXPECT_EQ(std::to_string(total) + " " + std::to_string(values.back()),
                  text(IDC_LOOP_SENT) + " " + text(IDC_LOOP_LAST_SENT));
    }
    click(IDC_LOOP_READ_THREAD);
    EXPECT_TRUE(waitUntil([&] { return text(IDC_LOOP_RECEIVED) == std::to_string(total); }, 20000))
        << text(IDC_LOOP_RECEIVED);
    EXPECT_EQ("19", text(IDC_LOOP_LAST_RECEIVED));
}

TEST_F(PageTest, TestPageWorkerFailuresAndClosingDuringTheirBox)
{
    open<VlxTestPage>();
    struct
    {
        int box;
        unsigned long code;
        std::string caption;
    } const workers[] = {
        {IDC_LOOP_SEND_THREAD, VLX_SEND_TEST_COMMAND, "Fehler beim Senden der Daten"},
        {IDC_LOOP_READ_THREAD, VLX_READ_TEST_DATA, "Fehler beim Lesen der Daten"}};
    for (auto const& w : workers) {
        SimClient::vlxFail(3, w.code, notConnected, 5);
        EXPECT_EQ(Seen{w.caption + ": " + accessText},
                  answerBoxes({{w.caption}}, [&] { click(w.box); }));
        EXPECT_TRUE(waitUntil([&] { return !checked(w.box); }, 5000)) << w.caption;
    }
    EXPECT_EQ("5", text(IDC_LOOP_SENT));
    click(IDC_LOOP_SEND_THREAD); // a worker that ended by itself starts again
    EXPECT_TRUE(waitUntil([&] { return text(IDC_LOOP_SENT) == "7"; }, 5000));
    SimClient::vlxFail(3, VLX_READ_TEST_DATA, notConnected);
    Answer const leftOpen{workers[1].caption, IDOK, nullptr, false};
    ASSERT_EQ(Seen{workers[1].caption + ": " + accessText},
              answerBoxes({leftOpen}, [&] { click(IDC_LOOP_READ_THREAD); }));
    HWND box = findDialog(workers[1].caption.c_str(), IDOK);
    ASSERT_NE(nullptr, box);
    DWORD start = GetTickCount();
    page.reset();
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_FALSE(IsWindow(box));
}

TEST_F(PageTest, TestPageWithoutAUsableDeviceSendsNothing)
{
    SimClient::vlxSetVersion(3, 1, 8, 1);
    struct
    {
        unsigned char number;
        std::string caption, text;
    } const rows[] = {{3, "Notfallbetrieb", "Test im Notfallbetrieb nicht möglich."},
                      {7, "Verbindung zur Velmora konnte nicht hergestellt werden", openText}};
    for (auto const& r : rows) {
        EXPECT_EQ(Seen{r.caption + ": " + r.text},
                  answerBoxes({{r.caption}}, [&] { open<VlxTestPage>(r.number); }));
        for (int id :
             {IDC_LOOP_SEND_THREAD, IDC_LOOP_SINGLE_SEND, IDC_LED_GREEN, IDC_LOOP_SEND_THREAD})
            click(id);
        page.reset();
    }
    EXPECT_EQ((Log{{VLX_GET_FIRMWARE_VERSION, {}}}), received(false, 3));
}

// Open the page, start both workers against a device whose reads block and whose requests
// complete late, close it: every close in time, no worker left, nothing left behind.
// KRX_CYCLES sets the number of cycles (scripts/worker-cycles runs 1000).
TEST_F(PageTest, TestPageCyclesWithWorkersBlockedInTheDriver)
{
    char cycles[16] = "10";
    GetEnvironmentVariableA("KRX_CYCLES", cycles, sizeof cycles);
    SimClient::vlxSetBlockingRead(3, true);
    SimClient::vlxSetPending(3, 100);
    long const idle = threadCount();
    long handles = 0;
    SIZE_T memory = 0;
    DWORD slowest = 0;
    for (int i = -1; i < atoi(cycles); ++i) { // cycle -1 warms up
        if (i == 0) {
            handles = openHandles();
            memory = privateBytes();
        }
        SimClient::vlxClearLog(3);
        open<VlxTestPage>();
        click(IDC_LOOP_READ_THREAD);
        click(IDC_LOOP_SEND_THREAD);
        Sleep(i % 7 * 20 + 20); // stop at different points of the loops
        ASSERT_EQ(idle + 2, threadCount()) << "cycle " << i;
        DWORD start = GetTickCount();
        page.reset();
        slowest = std::max(slowest, GetTickCount() - start);
        // Red alone is the last test command: no loop packet after it.
        Log log = received(false, 3);
        auto last = std::find_if(log.rbegin(), log.rend(),
                                 [](Entry const& e) { return e.first == VLX_SEND_TEST_COMMAND; });
        ASSERT_TRUE(last != log.rend() && last->second == Bytes({4, 1, 2, 0})) << "cycle " << i;
    }
    printf("%s cycles: slowest close %lu ms; threads %ld idle, %ld after; handles %ld -> %ld; "
           "committed private bytes %lu -> %lu\n",
           cycles, slowest, idle, threadCount(), handles, openHandles(), (unsigned long)memory,
           (unsigned long)privateBytes());
    EXPECT_LT(slowest, 2000u);
    EXPECT_EQ(idle, threadCount());
    EXPECT_EQ(handles, openHandles());
    EXPECT_LT(privateBytes(), memory + 1024 * 1024);
}
