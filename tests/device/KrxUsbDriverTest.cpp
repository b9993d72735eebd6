// The feedback interface's channel against the simulated driver, in both modes where the
// mode matters: what reaches the device (its log) and what the channel returns.
#include <gtest/gtest.h>

#include "ChannelTestUtil.h"
#include "KrxUsbCodes.h"
#include "KrxUsbDriver.h"

namespace
{
char const openText[] = "Fehler beim Öffnen des Krx-Usb-Treibers.";
char const readText[] = "Fehler beim Lesezugriff auf den Krx-Usb-Treibers.";
char const writeText[] = "Fehler beim Schreibzugriff auf den Krx-Usb-Treibers.";
char const controlText[] = "Fehler beim Control-Zugriff auf den Krx-Usb-Treibers.";
long const statusIoDeviceError = static_cast<long>(0xC0000185L); // ERROR_IO_DEVICE

Entry readOf(unsigned char length)
{
    return {SIM_REQ_READ, {length, 0, 0, 0}};
}
Entry writeOf(std::string const& bytes)
{
    return {SIM_REQ_WRITE, Bytes(bytes.begin(), bytes.end())};
}
Entry const receiveCount{KRX_GET_RECEIVE_COUNT, {}};
unsigned char const* bytes(char const* text)
{
    return reinterpret_cast<unsigned char const*>(text);
}
std::string text(unsigned char const* bytes, unsigned count)
{
    return std::string(bytes, bytes + count);
}

// Every test runs once with a synchronous and once with an asynchronous channel.
class KrxUsbDriverTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        SimClient::resetAll();
        SimClient::krxAdd(1);
    }
    void TearDown() override { SimClient::resetAll(); }
    bool async() const { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(Mode, KrxUsbDriverTest, ::testing::Bool(),
                         [](::testing::TestParamInfo<bool> const& info) {
                             return info.param ? "Async" : "Sync";
                         });

TEST_P(KrxUsbDriverTest, PathRefusedOpensAndAChannelHoldingItsHandlesClosedOnce)
{
    SimClient::krxAdd(255);
    EXPECT_STREQ("\\\\.\\KrxUsb1", KrxUsbDriver::getDevicePath(1).getChars());
    EXPECT_STREQ("\\\\.\\KrxUsb17", KrxUsbDriver::getDevicePath(17).getChars());
    EXPECT_STREQ("\\\\.\\KrxUsb255", KrxUsbDriver::getDevicePath(255).getChars());
    long const before = openHandles();
    KrxUsbDriver* channel = new KrxUsbDriver(255, async());
    EXPECT_EQ((Log{receiveCount}), received(true, 255)) << "no read for a count of 0";
    // Windows refuses a second open itself; under Wine it succeeds and the simulated driver
    // refuses the first request on it, the discard's receive count (32, a sharing violation).
    std::string const text = thrownText([&] { KrxUsbDriver(255, !async()); });
    EXPECT_TRUE(text == errorMessage(openText, 32) || text == errorMessage(controlText, 32))
        << text;
    EXPECT_EQ(before + (async() ? 4 : 1), openHandles())
        << "device, and three events when asynchronous";
    SimClient::krxClearLog(255);
    EXPECT_EQ(3, channel->write(bytes("abc"), 3)) << "the first channel must stay usable";
    EXPECT_EQ((Log{writeOf("abc")}), received(true, 255));
    SetLastError(0xdeadbeef);
    delete channel;
    EXPECT_EQ(0xdeadbeefu, GetLastError()) << "a close failed: closed twice?";
    EXPECT_EQ(before, openHandles());
    EXPECT_EQ(0u, SimClient::krxState(255).open);
    EXPECT_EQ(errorMessage(openText, ERROR_FILE_NOT_FOUND),
              thrownText([&] { KrxUsbDriver(2, async()); }));
    EXPECT_EQ(before, openHandles()) << "the refused open left a handle or event";
}

TEST_P(KrxUsbDriverTest, StaleInputIsDroppedOnOpenAndAFailedDiscardClosesAgain)
{
    long const before = openHandles();
    SimClient::krxFeed(1, "stale");
    SimClient::krxFail(1, SIM_REQ_READ, statusIoDeviceError);
    EXPECT_EQ(errorMessage(readText, ERROR_IO_DEVICE),
              thrownText([&] { KrxUsbDriver channel(1, async()); }));
    EXPECT_EQ(0u, SimClient::krxState(1).open);
    EXPECT_EQ(before, openHandles()) << "handle or events left open";
    SimClient::krxClearLog(1);
    KrxUsbDriver channel(1, async());
    EXPECT_EQ((Log{receiveCount, readOf(5)}), received(true, 1)) << "one read of the 5 stale bytes";
    SimClient::krxFeed(1, "new");
    unsigned char buffer[16] = {};
    EXPECT_EQ("new", text(buffer, channel.read(buffer, sizeof buffer)));
}

TEST_P(KrxUsbDriverTest, WriteSendsTheBytesAndReadTakesWhatArrived)
{
    KrxUsbDriver channel(1, async());
    SimClient::krxClearLog(1);
    EXPECT_EQ(4, channel.write(bytes("s\0\xFF\r"), 4));
    SimClient::krxFeed(1, "abcdef");
    EXPECT_EQ(6u, channel.getReceiveCount());
    unsigned char buffer[16];
    std::fill(buffer, buffer + sizeof buffer, 0xEE);
    EXPECT_EQ(4, channel.read(buffer, 4));
    EXPECT_EQ("abcd\xEE", text(buffer, 5));
    EXPECT_EQ(2, channel.read(buffer, sizeof buffer)) << "a read may deliver fewer than asked";
    EXPECT_EQ("ef", text(buffer, 2));
    EXPECT_EQ((Log{writeOf(std::string("s\0\xFF\r", 4)), receiveCount, readOf(4), readOf(16)}),
              received(true, 1));
    SimClient::krxFeed(1, std::string(65536, 'q'));
    SimClient::krxFeed(1, std::string(70000 - 65536, 'q'));
    EXPECT_EQ(70000u, channel.getReceiveCount()) << "all 32 bits of the count";
}

TEST_P(KrxUsbDriverTest, FailureCarriesItsCodeOr997AfterPendingAndTheChannelGoesOn)
{
    KrxUsbDriver channel(1, async());
    unsigned char buffer[8] = {};
    struct
    {
        unsigned long what;
        char const* text;
        std::function<void()> run;
    } const requests[] = {
        {SIM_REQ_READ, readText, [&] { channel.read(buffer, sizeof buffer); }},
        {SIM_REQ_WRITE, writeText, [&] { channel.write(buffer, 2); }},
        {0x00222004, controlText, // written out: the shared header could be wrong for both sides
         [&] { channel.getReceiveCount(); }}};
    for (bool later : {false, true}) {
        SimClient::krxSetPending(1, 20, later);
        // An overlapped request that was started (997) and then failed carries 997; a
        // synchronous call waits itself and fails with the driver's code.
        DWORD const code = later && async() ? ERROR_IO_PENDING : ERROR_IO_DEVICE;
        for (auto const& r : requests) {
            SimClient::krxFail(1, r.what, statusIoDeviceError);
            EXPECT_EQ(errorMessage(r.text, code), thrownText(r.run))
                << (later ? "later" : "at once");
        }
        SimClient::krxFeed(1, "ok");
        EXPECT_EQ(2u, channel.getReceiveCount());
        EXPECT_EQ(2, channel.write(buffer, 2));
        EXPECT_EQ(2, channel.read(buffer, sizeof buffer));
        EXPECT_EQ("ok", text(buffer, 2));
    }
}

TEST_P(KrxUsbDriverTest, ReplyUpToCrOr255CharactersOrTheFirstEmptyReadOrAFailure)
{
    std::string const line = std::string(255, 'a') + std::string(45, 'b');
    struct
    {
        std::string reply, result;
        unsigned long left;
    } const cases[] = {{"\rrest", "", 4}, {"KRX-4", "KRX-4", 0}, {line, line.substr(0, 255), 45}};
    char* shared = nullptr;
    for (auto const& c : cases) {
        KrxUsbDriver channel(1, async()); // the open drops what an earlier case left
        SimClient::krxSetReply(1, c.reply);
        SimClient::krxClearLog(1);
        char* reply = channel.queryVersion();
        EXPECT_EQ(c.result, reply);
        EXPECT_EQ(c.left, SimClient::krxPending(1))
            << "nothing read after the CR or the 255th character";
        // One read per character taken, and one for the CR or the empty read that ended the line.
        Log expected{writeOf("v\r")};
        expected.insert(expected.end(), c.result.size() + (c.result.size() < 255), readOf(1));
        EXPECT_EQ(expected, received(true, 1)) << c.result;
        EXPECT_EQ(shared ? shared : reply, reply) << "one buffer for the whole program";
        shared = reply;
    }
    KrxUsbDriver channel(1, async());
    SimClient::krxFail(1, SIM_REQ_READ, statusIoDeviceError, 3);
    EXPECT_EQ(errorMessage(readText, ERROR_IO_DEVICE), thrownText([&] { channel.queryVersion(); }));
}
}
