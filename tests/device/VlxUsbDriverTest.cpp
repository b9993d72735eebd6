// The command station's channel against the simulated driver: what reaches the device (its
// log) and what the channel makes of the replies.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "ChannelTestUtil.h"
#include "SimClient.h"
#include "VlxUsbCodes.h"
#include "VlxUsbDriver.h"
#include "Win32Exception.h"

namespace
{
char const openText[] = "Fehler beim Öffnen des Vlx-Usb-Treibers.";
char const accessText[] = "Fehler beim Zugriff auf den Vlx-Usb-Treiber.";

long const statusDeviceNotConnected = static_cast<long>(0xC000009DL); // ERROR_DEVICE_NOT_CONNECTED
long const statusAccessDenied = static_cast<long>(0xC0000022L);       // ERROR_ACCESS_DENIED
long const statusIoDeviceError = static_cast<long>(0xC0000185L);      // ERROR_IO_DEVICE

using Bytes = std::vector<unsigned char>;

class VlxChannelFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SimClient::resetAll();
        SimClient::vlxAdd(1);
    }
    void TearDown() override { SimClient::resetAll(); }

    // The requests device n received, as (code, payload).
    static std::vector<std::pair<unsigned long, Bytes>> received(unsigned n)
    {
        std::vector<std::pair<unsigned long, Bytes>> out;
        for (SimRequest const& r : SimClient::vlxLog(n))
            out.emplace_back(r.code, r.payload);
        return out;
    }
};

using Log = std::vector<std::pair<unsigned long, Bytes>>;

// --- opening, paths, presence ---------------------------------------------------------------

class VlxUsbDriverOpenTest : public VlxChannelFixture
{
};

TEST_F(VlxUsbDriverOpenTest, PathNamesTheDeviceNumberInDecimal)
{
    struct
    {
        unsigned char number;
        char const* path;
    } const cases[] = {{1, "\\\\.\\VlxUsb1"}, {17, "\\\\.\\VlxUsb17"}, {255, "\\\\.\\VlxUsb255"}};
    SimClient::vlxAdd(17);
    SimClient::vlxAdd(255);
    for (auto const& c : cases)
    {
        EXPECT_STREQ(c.path, VlxUsbDriver::getDevicePath(c.number).getChars());
        // The stored number of a new simulated device is its own number: the channel reached it.
        VlxUsbDriver channel(c.number);
        EXPECT_EQ(c.number, channel.getDeviceNumber());
        EXPECT_EQ((Log{{VLX_GET_DEVICE_NUMBER, {}}}), received(c.number)) << c.path;
    }
}

TEST_F(VlxUsbDriverOpenTest, MissingDeviceThrowsTheOpenTextWithTheSystemDescription)
{
    Win32Exception e = thrown([] { VlxUsbDriver channel(2); });
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, e.getCode());
    EXPECT_EQ(expectedMessage(openText, ERROR_FILE_NOT_FOUND), e.what());
}

TEST_F(VlxUsbDriverOpenTest, SecondChannelToAnOpenDeviceIsRefused)
{
    VlxUsbDriver first(1);
    // Windows refuses the second open itself. Wine gives out the handle whatever the driver
    // answers, and the simulated driver then refuses every request on it: either way the
    // second channel gets nothing from the device, with a sharing violation.
    Win32Exception e = thrown([] {
        VlxUsbDriver second(1);
        second.getDeviceNumber();
    });
    EXPECT_EQ(static_cast<unsigned long>(ERROR_SHARING_VIOLATION), e.getCode());
    std::string const text = e.what();
    EXPECT_TRUE(text == expectedMessage(openText, ERROR_SHARING_VIOLATION) ||
                text == expectedMessage(accessText, ERROR_SHARING_VIOLATION))
        << text;
    EXPECT_EQ(108, first.getFirmwareVersion()) << "the first channel must stay usable";
}

TEST_F(VlxUsbDriverOpenTest, DestroyingClosesTheHandleOnce)
{
    std::vector<HANDLE> before = nextHandles();
    VlxUsbDriver* channel = new VlxUsbDriver(1);
    EXPECT_NE(INVALID_HANDLE_VALUE, channel->getHandle());
    EXPECT_EQ(1u, SimClient::vlxState(1).open);
    EXPECT_EQ(1u, slotsTaken(before, nextHandles())) << "one handle, events only while a request runs";
    SimClient::vlxFail(1, VLX_GET_SERIAL_NUMBER, statusIoDeviceError);
    EXPECT_THROW(channel->getSerialNumber(), Win32Exception);
    EXPECT_EQ(1u, slotsTaken(before, nextHandles())) << "the failed request left its event open";

    // A second CloseHandle of the same value would fail and leave its error behind.
    SetLastError(0xdeadbeef);
    delete channel;
    EXPECT_EQ(0xdeadbeefu, GetLastError());
    EXPECT_EQ(before, nextHandles());
    EXPECT_EQ(0u, SimClient::vlxState(1).open);
    // Opened again at once: nothing of the first channel holds the device.
    VlxUsbDriver again(1);
    EXPECT_EQ(12345u, again.getSerialNumber());
}

TEST_F(VlxUsbDriverOpenTest, FailedOpenLeavesNoHandle)
{
    std::vector<HANDLE> before = nextHandles();
    EXPECT_THROW(VlxUsbDriver(9), Win32Exception);
    EXPECT_EQ(before, nextHandles());
}

class VlxUsbDriverPresenceTest : public VlxChannelFixture
{
};

TEST_F(VlxUsbDriverPresenceTest, OnlyAMissingDeviceFileIsAbsent)
{
    SimClient::vlxAdd(17);
    EXPECT_FALSE(VlxUsbDriver::isPresent(2));
    EXPECT_FALSE(VlxUsbDriver::isPresent(255));
    EXPECT_TRUE(VlxUsbDriver::isPresent(1));
    EXPECT_TRUE(VlxUsbDriver::isPresent(17));
    EXPECT_EQ(0u, SimClient::vlxState(1).open) << "the probe must close what it opened";
    SimClient::vlxRemove(17);
    EXPECT_FALSE(VlxUsbDriver::isPresent(17));
}

TEST_F(VlxUsbDriverPresenceTest, DeviceHeldOpenOrRefusingCountsAsPresent)
{
    {
        VlxUsbDriver holder(1);
        EXPECT_TRUE(VlxUsbDriver::isPresent(1));
        EXPECT_EQ(108, holder.getFirmwareVersion());
    }
    SimClient::vlxFail(1, SIM_REQ_CREATE, statusAccessDenied);
    EXPECT_TRUE(VlxUsbDriver::isPresent(1));
    // The failure was used up by the probe: the device opens now.
    VlxUsbDriver channel(1);
    EXPECT_EQ(1, channel.getDeviceNumber());
}

// --- commands: payloads and results -----------------------------------------------------------

class VlxUsbDriverCommandTest : public VlxChannelFixture
{
};

TEST_F(VlxUsbDriverCommandTest, DriverInfoIsTheTextInOneSharedBuffer)
{
    VlxUsbDriver channel(1);
    char* first = channel.getDriverInfo();
    EXPECT_STREQ(SIM_DEFAULT_DRIVER_TEXT, first);

    SimClient::vlxSetDriverText(1, "");
    char* empty = channel.getDriverInfo();
    EXPECT_EQ(first, empty) << "one buffer for the whole program";
    EXPECT_STREQ("", empty);

    // 64 bytes without NUL: the buffer stays a terminated text within its 64 bytes.
    std::string full(64, 'x');
    for (int i = 0; i < 64; ++i)
        full[i] = static_cast<char>('A' + i % 26);
    SimClient::vlxSetDriverText(1, full);
    char* text = channel.getDriverInfo();
    EXPECT_EQ(full.substr(0, 63), std::string(text));

    SimClient::vlxSetDriverText(1, "abc");
    EXPECT_STREQ("abc", channel.getDriverInfo());
    EXPECT_EQ(Log(4, {VLX_GET_DRIVER_INFO, {}}), received(1));
}

TEST_F(VlxUsbDriverCommandTest, VersionAndModeBytes)
{
    struct
    {
        unsigned char major, minor, mode;
        unsigned short version;
        bool emergency;
    } const cases[] = {{1, 8, 0, 108, false},   {1, 8, 1, 108, true},     {1, 8, 255, 108, true},
                       {2, 55, 0, 255, false},  {255, 255, 0, 25755, false}, {0, 0, 0x80, 0, true}};
    VlxUsbDriver channel(1);
    for (auto const& c : cases)
    {
        SimClient::vlxSetVersion(1, c.major, c.minor, c.mode);
        SimClient::vlxClearLog(1);
        EXPECT_EQ(c.version, channel.getFirmwareVersion()) << int(c.major) << "." << int(c.minor);
        EXPECT_EQ(c.emergency, channel.isEmergencyMode()) << "mode " << int(c.mode);
        EXPECT_EQ(Log(2, {VLX_GET_FIRMWARE_VERSION, {}}), received(1));
    }
}

TEST_F(VlxUsbDriverCommandTest, SerialIsTwentyFourBitsMostSignificantFirst)
{
    struct
    {
        unsigned char b0, b1, b2;
        DWORD serial;
    } const cases[] = {{1, 2, 3, 66051}, {0xFF, 0xFF, 0xFF, 16777215}, {0, 0, 0, 0}, {0x80, 0, 1, 0x800001}};
    VlxUsbDriver channel(1);
    for (auto const& c : cases)
    {
        SimClient::vlxSetSerial(1, c.b0, c.b1, c.b2);
        EXPECT_EQ(c.serial, channel.getSerialNumber());
    }
    EXPECT_EQ(Log(4, {VLX_GET_SERIAL_NUMBER, {}}), received(1));
}

TEST_F(VlxUsbDriverCommandTest, TestCommandRecordIsTagSelectorValueLittleEndian)
{
    VlxUsbDriver channel(1);
    channel.sendTestCommand(1, 2);
    EXPECT_EQ(2, SimClient::vlxPortPattern(1));
    channel.sendTestCommand(0, 0x1234);
    channel.sendTestCommand(1, 0xABCD);
    EXPECT_EQ(0xABCD, SimClient::vlxPortPattern(1));
    EXPECT_EQ((Log{{VLX_SEND_TEST_COMMAND, {0x04, 0x01, 0x02, 0x00}},
                   {VLX_SEND_TEST_COMMAND, {0x04, 0x00, 0x34, 0x12}},
                   {VLX_SEND_TEST_COMMAND, {0x04, 0x01, 0xCD, 0xAB}}}),
              received(1));
}

TEST_F(VlxUsbDriverCommandTest, ReadTestDataReturnsTheCountTheDriverReported)
{
    VlxUsbDriver channel(1);
    unsigned char buffer[64];
    memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(0, channel.readTestData(buffer, sizeof buffer)) << "nothing looped back yet";
    for (unsigned short v : {0x11, 0x122, 0x33})
        channel.sendTestCommand(0, v);
    EXPECT_EQ(2, channel.readTestData(buffer, 2));
    EXPECT_EQ(0x11, buffer[0]);
    EXPECT_EQ(0x22, buffer[1]);
    EXPECT_EQ(0xEE, buffer[2]) << "written beyond maxLength";
    EXPECT_EQ(1, channel.readTestData(buffer, sizeof buffer));
    EXPECT_EQ(0x33, buffer[0]);
    Log log = received(1);
    ASSERT_EQ(6u, log.size());
    EXPECT_EQ((std::pair<unsigned long, Bytes>{VLX_READ_TEST_DATA, {}}), log[5]);
}

TEST_F(VlxUsbDriverCommandTest, DeviceNumberIsOneByteEachWay)
{
    VlxUsbDriver channel(1);
    EXPECT_EQ(1, channel.getDeviceNumber());
    channel.setDeviceNumber(7);
    EXPECT_EQ(7, SimClient::vlxStoredNumber(1));
    EXPECT_EQ(7, channel.getDeviceNumber());
    channel.setDeviceNumber(255);
    EXPECT_EQ(255, channel.getDeviceNumber());
    EXPECT_EQ((Log{{VLX_GET_DEVICE_NUMBER, {}},
                   {VLX_SET_DEVICE_NUMBER, {0x07}},
                   {VLX_GET_DEVICE_NUMBER, {}},
                   {VLX_SET_DEVICE_NUMBER, {0xFF}},
                   {VLX_GET_DEVICE_NUMBER, {}}}),
              received(1));
}

TEST_F(VlxUsbDriverCommandTest, FirmwareBlockSendsExactlyLengthBytes)
{
    Bytes block(300);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<unsigned char>(i * 7 + 1);
    VlxUsbDriver channel(1);
    channel.writeFirmwareBlock(block.data(), 0);
    channel.writeFirmwareBlock(block.data(), 3);
    channel.writeFirmwareBlock(block.data(), 255);
    EXPECT_EQ((Log{{VLX_WRITE_FIRMWARE_BLOCK, {}},
                   {VLX_WRITE_FIRMWARE_BLOCK, Bytes(block.begin(), block.begin() + 3)},
                   {VLX_WRITE_FIRMWARE_BLOCK, Bytes(block.begin(), block.begin() + 255)}}),
              received(1));
}

// --- failures ---------------------------------------------------------------------------------

struct NamedCommand
{
    char const* name;
    unsigned long code;
    std::function<void(VlxUsbDriver&)> run;
};

std::vector<NamedCommand> everyCommand()
{
    static unsigned char buffer[64];
    return {
        {"getDriverInfo", VLX_GET_DRIVER_INFO, [](VlxUsbDriver& c) { c.getDriverInfo(); }},
        {"sendTestCommand", VLX_SEND_TEST_COMMAND, [](VlxUsbDriver& c) { c.sendTestCommand(1, 5); }},
        {"readTestData", VLX_READ_TEST_DATA, [](VlxUsbDriver& c) { c.readTestData(buffer, sizeof buffer); }},
        {"getDeviceNumber", VLX_GET_DEVICE_NUMBER, [](VlxUsbDriver& c) { c.getDeviceNumber(); }},
        {"setDeviceNumber", VLX_SET_DEVICE_NUMBER, [](VlxUsbDriver& c) { c.setDeviceNumber(4); }},
        {"getFirmwareVersion", VLX_GET_FIRMWARE_VERSION, [](VlxUsbDriver& c) { c.getFirmwareVersion(); }},
        {"isEmergencyMode", VLX_GET_FIRMWARE_VERSION, [](VlxUsbDriver& c) { c.isEmergencyMode(); }},
        {"writeFirmwareBlock", VLX_WRITE_FIRMWARE_BLOCK, [](VlxUsbDriver& c) { c.writeFirmwareBlock(buffer, 8); }},
        {"getSerialNumber", VLX_GET_SERIAL_NUMBER, [](VlxUsbDriver& c) { c.getSerialNumber(); }},
    };
}

class VlxUsbDriverFailureTest : public VlxChannelFixture
{
};

TEST_F(VlxUsbDriverFailureTest, ImmediateFailureCarriesItsOwnCodeAndTheChannelGoesOn)
{
    VlxUsbDriver channel(1);
    for (NamedCommand const& command : everyCommand())
    {
        SimClient::vlxFail(1, command.code, statusDeviceNotConnected);
        Win32Exception e = thrown([&] { command.run(channel); });
        EXPECT_EQ(ERROR_DEVICE_NOT_CONNECTED, e.getCode()) << command.name;
        EXPECT_EQ(expectedMessage(accessText, ERROR_DEVICE_NOT_CONNECTED), e.what()) << command.name;
        EXPECT_NO_THROW(command.run(channel)) << command.name << " after its failure";
    }
    EXPECT_EQ(108, channel.getFirmwareVersion());
}

TEST_F(VlxUsbDriverFailureTest, FailureAfterPendingCarries997)
{
    SimClient::vlxSetPending(1, 10);
    VlxUsbDriver channel(1);
    for (NamedCommand const& command : everyCommand())
    {
        SimClient::vlxFail(1, command.code, statusIoDeviceError);
        Win32Exception e = thrown([&] { command.run(channel); });
        EXPECT_EQ(static_cast<unsigned long>(ERROR_IO_PENDING), e.getCode()) << command.name;
        EXPECT_EQ(expectedMessage(accessText, ERROR_IO_PENDING), e.what()) << command.name;
        EXPECT_NO_THROW(command.run(channel)) << command.name << " after its failure";
    }
}

TEST_F(VlxUsbDriverFailureTest, FailureAfterSomeSuccessesHitsOnlyThatRequest)
{
    SimClient::vlxSetSerial(1, 1, 2, 3);
    SimClient::vlxFail(1, VLX_GET_SERIAL_NUMBER, statusIoDeviceError, 2);
    VlxUsbDriver channel(1);
    EXPECT_EQ(66051u, channel.getSerialNumber());
    EXPECT_EQ(66051u, channel.getSerialNumber());
    Win32Exception e = thrown([&] { channel.getSerialNumber(); });
    EXPECT_EQ(static_cast<unsigned long>(ERROR_IO_DEVICE), e.getCode());
    EXPECT_EQ(66051u, channel.getSerialNumber());
    EXPECT_EQ(Log(4, {VLX_GET_SERIAL_NUMBER, {}}), received(1)) << "the failed request reached the device";
}

TEST_F(VlxUsbDriverFailureTest, UnpluggedDeviceFailsEveryRequestAndStillCloses)
{
    VlxUsbDriver* channel = new VlxUsbDriver(1);
    SimClient::vlxRemove(1);
    Win32Exception e = thrown([&] { channel->getDeviceNumber(); });
    EXPECT_EQ(ERROR_DEVICE_NOT_CONNECTED, e.getCode());
    delete channel;
    SimClient::vlxAdd(1);
    VlxUsbDriver again(1);
    EXPECT_EQ(1, again.getDeviceNumber());
}

// --- the pending path ---------------------------------------------------------------------------

class VlxUsbDriverPendingTest : public VlxChannelFixture
{
};

TEST_F(VlxUsbDriverPendingTest, CompletedLaterGivesTheSameResults)
{
    SimClient::vlxSetVersion(1, 1, 8, 1);
    SimClient::vlxSetSerial(1, 0xFF, 0xFF, 0xFF);
    SimClient::vlxSetDriverText(1, "spät");
    VlxUsbDriver channel(1);
    // One request completed at once first: its signalled event must not fool the next one.
    EXPECT_EQ(1, channel.getDeviceNumber());
    SimClient::vlxSetPending(1, 30);
    EXPECT_EQ(108, channel.getFirmwareVersion());
    EXPECT_TRUE(channel.isEmergencyMode());
    EXPECT_EQ(16777215u, channel.getSerialNumber());
    EXPECT_STREQ("spät", channel.getDriverInfo());
    channel.sendTestCommand(0, 0x42);
    channel.sendTestCommand(0, 0x43);
    unsigned char buffer[64] = {};
    EXPECT_EQ(2, channel.readTestData(buffer, sizeof buffer));
    EXPECT_EQ(0x42, buffer[0]);
    EXPECT_EQ(0x43, buffer[1]);
    SimClient::vlxSetPending(1, 0, false);
    EXPECT_EQ(1, channel.getDeviceNumber());
}

// --- two threads on one channel ----------------------------------------------------------------

class VlxUsbDriverThreadTest : public VlxChannelFixture
{
};

TEST_F(VlxUsbDriverThreadTest, ReadWaitsWhileAnotherThreadSends)
{
    SimClient::vlxSetBlockingRead(1, true);
    VlxUsbDriver channel(1);
    unsigned char buffer[64] = {};
    unsigned short count = 0xFFFF;
    std::string failure;
    TestThread reader([&] {
        try
        {
            count = channel.readTestData(buffer, sizeof buffer);
        }
        catch (Win32Exception& e)
        {
            failure = e.what();
        }
    });
    ASSERT_TRUE(reader.started());
    EXPECT_FALSE(reader.wait(200)) << "the read should wait for looped-back data";
    // A second thread sends while the read is outstanding on the same handle.
    std::string sendFailure;
    TestThread sender([&] {
        try
        {
            channel.sendTestCommand(0, 0x5A);
        }
        catch (Win32Exception& e)
        {
            sendFailure = e.what();
        }
    });
    bool sent = sender.wait(5000);
    if (!sent || !reader.wait(5000))
    {
        CancelIoEx(channel.getHandle(), nullptr);
        sender.wait(2000);
        reader.wait(2000);
        FAIL() << (sent ? "the read did not complete after the send" : "the send waited behind the read");
    }
    EXPECT_EQ("", sendFailure);
    EXPECT_EQ("", failure);
    EXPECT_EQ(1, count);
    EXPECT_EQ(0x5A, buffer[0]);
}
}
