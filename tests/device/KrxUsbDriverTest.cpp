// The feedback interface's channel against the simulated driver, in both modes where the
// mode matters: what reaches the device (its log) and what the channel returns.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "ChannelTestUtil.h"
#include "KrxUsbCodes.h"
#include "KrxUsbDriver.h"
#include "SimClient.h"
#include "Win32Exception.h"

namespace
{
char const openText[] = "Fehler beim Öffnen des Krx-Usb-Treibers.";
char const readText[] = "Fehler beim Lesezugriff auf den Krx-Usb-Treibers.";
char const writeText[] = "Fehler beim Schreibzugriff auf den Krx-Usb-Treibers.";
char const controlText[] = "Fehler beim Control-Zugriff auf den Krx-Usb-Treibers.";

long const statusDeviceNotConnected = static_cast<long>(0xC000009DL); // ERROR_DEVICE_NOT_CONNECTED
long const statusIoDeviceError = static_cast<long>(0xC0000185L);      // ERROR_IO_DEVICE

using Bytes = std::vector<unsigned char>;
using Entry = std::pair<unsigned long, Bytes>;
using Log = std::vector<Entry>;

Entry readOf(unsigned length)
{
    return {SIM_REQ_READ, {static_cast<unsigned char>(length), static_cast<unsigned char>(length >> 8),
                           static_cast<unsigned char>(length >> 16), static_cast<unsigned char>(length >> 24)}};
}
Entry writeOf(std::string const& bytes) { return {SIM_REQ_WRITE, Bytes(bytes.begin(), bytes.end())}; }
Entry const receiveCount{KRX_GET_RECEIVE_COUNT, {}};

Log received(unsigned n)
{
    Log out;
    for (SimRequest const& r : SimClient::krxLog(n))
        out.emplace_back(r.code, r.payload);
    return out;
}

std::string text(unsigned char const* bytes, unsigned count) { return std::string(bytes, bytes + count); }

// Every test runs once with a synchronous and once with an asynchronous channel.
class KrxModeFixture : public ::testing::TestWithParam<bool>
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

std::string modeName(::testing::TestParamInfo<bool> const& info) { return info.param ? "Async" : "Sync"; }

// --- opening, paths, closing -------------------------------------------------------------------

class KrxUsbDriverOpenTest : public KrxModeFixture
{
};

TEST_P(KrxUsbDriverOpenTest, PathNamesTheDeviceNumberInDecimal)
{
    struct
    {
        unsigned char number;
        char const* path;
    } const cases[] = {{1, "\\\\.\\KrxUsb1"}, {17, "\\\\.\\KrxUsb17"}, {255, "\\\\.\\KrxUsb255"}};
    SimClient::krxAdd(17);
    SimClient::krxAdd(255);
    for (auto const& c : cases)
    {
        EXPECT_STREQ(c.path, KrxUsbDriver::getDevicePath(c.number).getChars());
        KrxUsbDriver channel(c.number, async());
        EXPECT_EQ(async(), channel.isAsynchronous());
        EXPECT_EQ(3, channel.write(reinterpret_cast<unsigned char const*>("abc"), 3));
        EXPECT_EQ((Log{receiveCount, writeOf("abc")}), received(c.number)) << c.path;
    }
}

TEST_P(KrxUsbDriverOpenTest, MissingOrHeldDeviceLeavesNoChannel)
{
    Win32Exception missing = thrown([&] { KrxUsbDriver channel(2, async()); });
    EXPECT_EQ(static_cast<unsigned long>(ERROR_FILE_NOT_FOUND), missing.getCode());
    EXPECT_EQ(expectedMessage(openText, ERROR_FILE_NOT_FOUND), missing.what());

    KrxUsbDriver holder(1, async());
    std::vector<HANDLE> before = nextHandles();
    // Windows refuses the open itself; under Wine the open succeeds and the simulated driver
    // refuses the first request on the handle, the receive count of the discard step.
    Win32Exception held = thrown([&] { KrxUsbDriver channel(1, !async()); });
    EXPECT_EQ(static_cast<unsigned long>(ERROR_SHARING_VIOLATION), held.getCode());
    std::string const text = held.what();
    EXPECT_TRUE(text == expectedMessage(openText, ERROR_SHARING_VIOLATION) ||
                text == expectedMessage(controlText, ERROR_SHARING_VIOLATION))
        << text;
    EXPECT_EQ(before, nextHandles()) << "the refused channel left a handle open";
    SimClient::krxFeed(1, "ab");
    EXPECT_EQ(2u, holder.getReceiveCount()) << "the holder must stay usable";
}

TEST_P(KrxUsbDriverOpenTest, DestroyingClosesHandleAndEventsOnce)
{
    std::vector<HANDLE> before = nextHandles();
    KrxUsbDriver* channel = new KrxUsbDriver(1, async());
    EXPECT_EQ(1u, SimClient::krxState(1).open);
    EXPECT_EQ(async() ? 4u : 1u, slotsTaken(before, nextHandles())) << "device, and three events when asynchronous";
    SetLastError(0xdeadbeef);
    delete channel;
    EXPECT_EQ(0xdeadbeefu, GetLastError()) << "a close failed: closed twice?";
    EXPECT_EQ(before, nextHandles());
    EXPECT_EQ(0u, SimClient::krxState(1).open);
    KrxUsbDriver again(1, async());
    EXPECT_EQ(0u, again.getReceiveCount());
}

TEST_P(KrxUsbDriverOpenTest, StaleInputIsReadOnceAndDropped)
{
    {
        KrxUsbDriver channel(1, async());
        EXPECT_EQ((Log{receiveCount}), received(1)) << "no read for a count of 0";
    }
    SimClient::krxClearLog(1);
    SimClient::krxFeed(1, "stale");
    KrxUsbDriver channel(1, async());
    EXPECT_EQ((Log{receiveCount, readOf(5)}), received(1));
    EXPECT_EQ(0u, SimClient::krxPending(1));
    SimClient::krxFeed(1, "new");
    unsigned char buffer[16] = {};
    unsigned short n = channel.read(buffer, sizeof buffer);
    EXPECT_EQ("new", text(buffer, n));
}

TEST_P(KrxUsbDriverOpenTest, FailingDiscardClosesTheDeviceAgain)
{
    std::vector<HANDLE> before = nextHandles();
    SimClient::krxFail(1, KRX_GET_RECEIVE_COUNT, statusIoDeviceError);
    Win32Exception control = thrown([&] { KrxUsbDriver channel(1, async()); });
    EXPECT_EQ(expectedMessage(controlText, ERROR_IO_DEVICE), control.what());
    EXPECT_EQ(0u, SimClient::krxState(1).open);

    SimClient::krxFeed(1, "stale");
    SimClient::krxFail(1, SIM_REQ_READ, statusDeviceNotConnected);
    Win32Exception read = thrown([&] { KrxUsbDriver channel(1, async()); });
    EXPECT_EQ(expectedMessage(readText, ERROR_DEVICE_NOT_CONNECTED), read.what());
    EXPECT_EQ(0u, SimClient::krxState(1).open);
    EXPECT_EQ(before, nextHandles()) << "handle or events left open";

    KrxUsbDriver channel(1, async());
    EXPECT_EQ(0u, SimClient::krxPending(1)) << "the stale bytes go with the successful open";
}

INSTANTIATE_TEST_SUITE_P(Mode, KrxUsbDriverOpenTest, ::testing::Bool(), modeName);

// --- the byte stream and the control request --------------------------------------------------

class KrxUsbDriverStreamTest : public KrxModeFixture
{
};

TEST_P(KrxUsbDriverStreamTest, WriteSendsTheBytesAndReadTakesWhatArrived)
{
    KrxUsbDriver channel(1, async());
    SimClient::krxClearLog(1);
    unsigned char const out[] = {'s', 0x00, 0xFF, '\r'};
    EXPECT_EQ(4, channel.write(out, sizeof out));
    EXPECT_EQ(0, channel.write(out, 0));

    SimClient::krxFeed(1, "abcdef");
    EXPECT_EQ(6u, channel.getReceiveCount());
    unsigned char buffer[16];
    memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(4, channel.read(buffer, 4));
    EXPECT_EQ("abcd", text(buffer, 4));
    EXPECT_EQ(0xEE, buffer[4]);
    EXPECT_EQ(2u, channel.getReceiveCount());
    EXPECT_EQ(2, channel.read(buffer, sizeof buffer)) << "a read may deliver fewer than asked";
    EXPECT_EQ("ef", text(buffer, 2));
    EXPECT_EQ(0, channel.read(buffer, sizeof buffer)) << "nothing waiting, non-blocking driver";

    EXPECT_EQ((Log{writeOf(std::string("s\0\xFF\r", 4)), writeOf(""), receiveCount, readOf(4), receiveCount,
                   readOf(16), readOf(16)}),
              received(1));
}

TEST_P(KrxUsbDriverStreamTest, ControlReturnsTheDriverCount)
{
    KrxUsbDriver channel(1, async());
    std::string big(70000, 'q');
    SimClient::krxFeed(1, big.substr(0, 65536));
    SimClient::krxFeed(1, big.substr(65536));
    EXPECT_EQ(70000u, channel.getReceiveCount()) << "all 32 bits of the count";
    unsigned char out[8];
    memset(out, 0xEE, sizeof out);
    EXPECT_EQ(4, channel.control(KRX_GET_RECEIVE_COUNT, nullptr, 0, out, sizeof out));
    EXPECT_EQ(70000u, static_cast<unsigned>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24));
    // 16-bit length: 70000 is taken as 4464.
    std::vector<unsigned char> buffer(70000);
    EXPECT_EQ(4464, channel.read(buffer.data(), static_cast<unsigned short>(70000)));
    EXPECT_EQ(70000u - 4464u, SimClient::krxPending(1));
}

TEST_P(KrxUsbDriverStreamTest, ImmediateFailureCarriesItsCodeAndTheChannelGoesOn)
{
    KrxUsbDriver channel(1, async());
    unsigned char buffer[4] = {'x', 'y', 0, 0};
    SimClient::krxFail(1, SIM_REQ_READ, statusIoDeviceError);
    Win32Exception r = thrown([&] { channel.read(buffer, sizeof buffer); });
    EXPECT_EQ(expectedMessage(readText, ERROR_IO_DEVICE), r.what());
    SimClient::krxFail(1, SIM_REQ_WRITE, statusDeviceNotConnected);
    Win32Exception w = thrown([&] { channel.write(buffer, 2); });
    EXPECT_EQ(expectedMessage(writeText, ERROR_DEVICE_NOT_CONNECTED), w.what());
    SimClient::krxFail(1, KRX_GET_RECEIVE_COUNT, statusIoDeviceError);
    Win32Exception c = thrown([&] { channel.getReceiveCount(); });
    EXPECT_EQ(expectedMessage(controlText, ERROR_IO_DEVICE), c.what());

    SimClient::krxFeed(1, "ok");
    EXPECT_EQ(2u, channel.getReceiveCount());
    EXPECT_EQ(2, channel.write(buffer, 2));
    EXPECT_EQ(2, channel.read(buffer, sizeof buffer));
    EXPECT_EQ("ok", text(buffer, 2));
}

TEST_P(KrxUsbDriverStreamTest, CompletedLaterGivesTheSameResultsOrItsFailure)
{
    KrxUsbDriver channel(1, async());
    SimClient::krxSetPending(1, 30);
    SimClient::krxFeed(1, "later");
    EXPECT_EQ(5u, channel.getReceiveCount());
    unsigned char buffer[16] = {};
    EXPECT_EQ(5, channel.read(buffer, sizeof buffer));
    EXPECT_EQ("later", text(buffer, 5));
    EXPECT_EQ(3, channel.write(buffer, 3));

    // Asynchronous: the request was started (997) and its completion failed, so 997 is carried.
    // Synchronous: the call itself waits and fails with the driver's code.
    unsigned long expected = async() ? ERROR_IO_PENDING : ERROR_IO_DEVICE;
    SimClient::krxFail(1, SIM_REQ_READ, statusIoDeviceError);
    EXPECT_EQ(expectedMessage(readText, expected), thrown([&] { channel.read(buffer, 1); }).what());
    SimClient::krxFail(1, SIM_REQ_WRITE, statusIoDeviceError);
    EXPECT_EQ(expectedMessage(writeText, expected), thrown([&] { channel.write(buffer, 1); }).what());
    SimClient::krxFail(1, KRX_GET_RECEIVE_COUNT, statusIoDeviceError);
    EXPECT_EQ(expectedMessage(controlText, expected), thrown([&] { channel.getReceiveCount(); }).what());
    EXPECT_EQ(0u, channel.getReceiveCount());
}

INSTANTIATE_TEST_SUITE_P(Mode, KrxUsbDriverStreamTest, ::testing::Bool(), modeName);

// --- the version query -------------------------------------------------------------------------

class KrxUsbDriverVersionTest : public KrxModeFixture
{
};

TEST_P(KrxUsbDriverVersionTest, ReplyUpToCrInOneSharedBuffer)
{
    KrxUsbDriver channel(1, async());
    SimClient::krxClearLog(1);
    char* reply = channel.queryVersion();
    EXPECT_STREQ("KRX-40 V1.08", reply);
    Log expected{writeOf("v\r")};
    expected.insert(expected.end(), 13, readOf(1)); // 12 characters and the CR
    EXPECT_EQ(expected, received(1));

    SimClient::krxSetReply(1, "\rrest");
    char* empty = channel.queryVersion();
    EXPECT_EQ(reply, empty) << "one buffer for the whole program";
    EXPECT_STREQ("", empty);
    EXPECT_EQ(4u, SimClient::krxPending(1)) << "nothing read after the CR";
}

TEST_P(KrxUsbDriverVersionTest, LongReplyStopsAfter255Characters)
{
    std::string line(300, ' ');
    for (size_t i = 0; i < line.size(); ++i)
        line[i] = static_cast<char>('a' + i % 26);
    SimClient::krxSetReply(1, line);
    KrxUsbDriver channel(1, async());
    SimClient::krxClearLog(1);
    EXPECT_EQ(line.substr(0, 255), std::string(channel.queryVersion()));
    EXPECT_EQ(45u, SimClient::krxPending(1));
    EXPECT_EQ(256u, received(1).size()) << "one write and 255 reads";
}

TEST_P(KrxUsbDriverVersionTest, ReplyThatStopsArrivingEndsAtAnEmptyRead)
{
    SimClient::krxSetReply(1, "KRX-4");
    KrxUsbDriver channel(1, async());
    SimClient::krxClearLog(1);
    EXPECT_STREQ("KRX-4", channel.queryVersion());
    EXPECT_EQ(7u, received(1).size()) << "one write, five reads with a byte, one without";

    SimClient::krxSetReply(1, "");
    EXPECT_STREQ("", channel.queryVersion());
}

TEST_P(KrxUsbDriverVersionTest, FailingWriteOrReadIsThrown)
{
    KrxUsbDriver channel(1, async());
    SimClient::krxFail(1, SIM_REQ_WRITE, statusIoDeviceError);
    EXPECT_EQ(expectedMessage(writeText, ERROR_IO_DEVICE), thrown([&] { channel.queryVersion(); }).what());
    SimClient::krxFail(1, SIM_REQ_READ, statusIoDeviceError, 3);
    EXPECT_EQ(expectedMessage(readText, ERROR_IO_DEVICE), thrown([&] { channel.queryVersion(); }).what());
    SimClient::krxClearFailures(1);
    // Three characters were taken before the read failed; the rest of that line is what the
    // next query reads first.
    SimClient::krxSetReply(1, "x\r");
    EXPECT_STREQ("-40 V1.08", channel.queryVersion());
}

INSTANTIATE_TEST_SUITE_P(Mode, KrxUsbDriverVersionTest, ::testing::Bool(), modeName);

// --- concurrency --------------------------------------------------------------------------------

class KrxUsbDriverThreadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SimClient::resetAll();
        SimClient::krxAdd(1);
        SimClient::krxSetBlockingRead(1, true);
    }
    void TearDown() override { SimClient::resetAll(); }
};

// Waits until the device has seen a read, i.e. the reader's request is outstanding.
bool readArrived()
{
    for (int i = 0; i < 100; ++i)
    {
        for (SimRequest const& r : SimClient::krxLog(1))
            if (r.code == SIM_REQ_READ)
                return true;
        Sleep(20);
    }
    return false;
}

TEST_F(KrxUsbDriverThreadTest, AsyncWriteWhileAReadIsOutstanding)
{
    KrxUsbDriver channel(1, true);
    SimClient::krxClearLog(1);
    unsigned char buffer[16] = {};
    unsigned short count = 0xFFFF;
    std::string failure;
    TestThread reader([&] {
        try
        {
            count = channel.read(buffer, sizeof buffer);
        }
        catch (Win32Exception& e)
        {
            failure = e.what();
        }
    });
    ASSERT_TRUE(reader.started());
    bool outstanding = readArrived();
    EXPECT_TRUE(outstanding) << "the read never reached the device";

    unsigned short written = 0;
    TestThread writer([&] {
        try
        {
            written = channel.write(reinterpret_cast<unsigned char const*>("L1"), 2);
        }
        catch (Win32Exception& e)
        {
            failure = e.what();
        }
    });
    bool wrote = writer.wait(5000);
    EXPECT_TRUE(wrote) << "the write waited behind the read";
    EXPECT_FALSE(reader.wait(0)) << "the read completed before any data arrived";
    EXPECT_EQ(2, written);

    SimClient::krxFeed(1, "data");
    if (!reader.wait(5000) || !wrote)
    {
        CancelIoEx(channel.getHandle(), nullptr);
        reader.wait(2000);
        writer.wait(2000);
        FAIL() << "a request did not complete";
    }
    EXPECT_EQ("", failure);
    EXPECT_EQ("data", text(buffer, count));
    EXPECT_EQ((Log{readOf(16), writeOf("L1")}), received(1));
}

TEST_F(KrxUsbDriverThreadTest, CancelledReadFailsWithItsMessageAndTheChannelGoesOn)
{
    for (bool async : {false, true})
    {
        KrxUsbDriver channel(1, async);
        SimClient::krxClearLog(1);
        unsigned char buffer[4] = {};
        std::string failure;
        TestThread reader([&] {
            try
            {
                channel.read(buffer, sizeof buffer);
            }
            catch (Win32Exception& e)
            {
                failure = e.what();
            }
        });
        ASSERT_TRUE(readArrived());
        EXPECT_TRUE(CancelIoEx(channel.getHandle(), nullptr));
        ASSERT_TRUE(reader.wait(5000)) << "the cancelled read did not end";
        // A synchronous call reports the cancel itself; an overlapped one was pending.
        EXPECT_EQ(expectedMessage(readText, async ? ERROR_IO_PENDING : ERROR_OPERATION_ABORTED), failure)
            << (async ? "async" : "sync");
        SimClient::krxFeed(1, "z");
        EXPECT_EQ(1u, channel.getReceiveCount());
        EXPECT_EQ(1, channel.read(buffer, sizeof buffer));
    }
}
}
