// The command station's channel against the simulated driver: what reaches the device (its
// log) and what the channel makes of the replies.
#include <gtest/gtest.h>

#include "ChannelTestUtil.h"
#include "VlxUsbCodes.h"
#include "VlxUsbDriver.h"

namespace
{
char const openText[] = "Fehler beim Öffnen des Vlx-Usb-Treibers.";
char const accessText[] = "Fehler beim Zugriff auf den Vlx-Usb-Treiber.";
long const statusDeviceNotConnected = static_cast<long>(0xC000009DL); // ERROR_DEVICE_NOT_CONNECTED

class VlxUsbDriverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SimClient::resetAll();
        SimClient::vlxAdd(1);
    }
    void TearDown() override { SimClient::resetAll(); }
};

TEST_F(VlxUsbDriverTest, PathPresenceMissingDeviceAndAChannelHoldingOneHandleClosedOnce)
{
    SimClient::vlxAdd(255);
    EXPECT_STREQ("\\\\.\\VlxUsb1", VlxUsbDriver::getDevicePath(1).getChars());
    EXPECT_STREQ("\\\\.\\VlxUsb17", VlxUsbDriver::getDevicePath(17).getChars());
    EXPECT_STREQ("\\\\.\\VlxUsb255", VlxUsbDriver::getDevicePath(255).getChars());
    long const before = openHandles();
    EXPECT_TRUE(VlxUsbDriver::isPresent(255));
    EXPECT_EQ(before, openHandles()) << "the probe must close what it opened";
    VlxUsbDriver* channel = new VlxUsbDriver(255);
    EXPECT_TRUE(VlxUsbDriver::isPresent(255)) << "held open";
    // The stored number of a new simulated device is its own number: the channel reached it.
    EXPECT_EQ(255, channel->getDeviceNumber());
    EXPECT_EQ((Log{{VLX_GET_DEVICE_NUMBER, {}}}), received(false, 255));
    // Windows refuses the second open itself. Wine gives out the handle whatever the driver
    // answers, and the simulated driver then refuses every request on it: either way the
    // second channel gets nothing from the device, with a sharing violation (32).
    std::string const text = thrownText([&] { VlxUsbDriver(255).getDeviceNumber(); });
    EXPECT_TRUE(text == errorMessage(openText, 32) || text == errorMessage(accessText, 32)) << text;
    EXPECT_EQ(108, channel->getFirmwareVersion()) << "the first channel must stay usable";
    EXPECT_EQ(before + 2, openHandles()) << "the device and the one event its requests reuse";
    // A second CloseHandle of the same value would fail and leave its error behind.
    SetLastError(0xdeadbeef);
    delete channel;
    EXPECT_EQ(0xdeadbeefu, GetLastError());
    EXPECT_EQ(before, openHandles());
    EXPECT_EQ(0u, SimClient::vlxState(255).open);
    EXPECT_FALSE(VlxUsbDriver::isPresent(2));
    EXPECT_EQ(errorMessage(openText, ERROR_FILE_NOT_FOUND),
              thrownText([] { VlxUsbDriver channel(2); }));
    EXPECT_EQ(before, openHandles()) << "the refused open left a handle";
}

// Under Wine the probe's open of a held device does not fail, so the verdict is tested alone.
TEST_F(VlxUsbDriverTest, ProbeCountsOnlyAMissingDeviceFileAsAbsent)
{
    for (DWORD error : {ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED, ERROR_PATH_NOT_FOUND,
                        ERROR_DEVICE_NOT_CONNECTED})
        EXPECT_TRUE(VlxUsbDriver::isPresentAfterOpenError(error)) << error;
    EXPECT_FALSE(VlxUsbDriver::isPresentAfterOpenError(ERROR_FILE_NOT_FOUND));
}

// Every command runs with its requests completed at once and completed later (the channel's
// ERROR_IO_PENDING path).
class VlxUsbDriverCommandTest : public VlxUsbDriverTest, public ::testing::WithParamInterface<bool>
{
protected:
    void SetUp() override
    {
        VlxUsbDriverTest::SetUp();
        SimClient::vlxSetPending(1, 10, GetParam());
    }
};

TEST_P(VlxUsbDriverCommandTest, DriverInfoIsTheTextInOneSharedBuffer)
{
    VlxUsbDriver channel(1);
    char* first = channel.getDriverInfo();
    EXPECT_STREQ(SIM_DEFAULT_DRIVER_TEXT, first);
    // 64 bytes without NUL: the buffer stays a terminated text within its 64 bytes.
    std::string const full = std::string(63, 'A') + "B";
    SimClient::vlxSetDriverText(1, full);
    EXPECT_EQ(first, channel.getDriverInfo()) << "one buffer for the whole program";
    EXPECT_EQ(full.substr(0, 63), first);
    SimClient::vlxSetDriverText(1, "");
    EXPECT_STREQ("", channel.getDriverInfo());
    EXPECT_EQ(Log(3, {VLX_GET_DRIVER_INFO, {}}), received(false, 1));
}

// The serial number's bytes are pinned by the Info page's tests, which show it.
TEST_P(VlxUsbDriverCommandTest, VersionAndModeBytes)
{
    struct
    {
        unsigned char major, minor, mode;
        unsigned short version;
        bool emergency;
    } const versions[] = {{1, 8, 0, 108, false},
                          {1, 8, 1, 108, true},
                          {255, 255, 0, 25755, false},
                          {0, 0, 0x80, 0, true}};
    VlxUsbDriver channel(1);
    for (auto const& c : versions) {
        SimClient::vlxSetVersion(1, c.major, c.minor, c.mode);
        EXPECT_EQ(c.version, channel.getFirmwareVersion()) << int(c.major) << "." << int(c.minor);
        EXPECT_EQ(c.emergency, channel.isEmergencyMode()) << "mode " << int(c.mode);
    }
    EXPECT_EQ(Log(8, {VLX_GET_FIRMWARE_VERSION, {}}), received(false, 1));
}

// The firmware blocks' bytes are pinned by the firmware writer's and update engine's tests.
TEST_P(VlxUsbDriverCommandTest, TestAndDeviceNumberCommandsSendExactlyTheirBytes)
{
    VlxUsbDriver channel(1);
    unsigned char buffer[255];
    for (unsigned i = 0; i < sizeof buffer; ++i)
        buffer[i] = static_cast<unsigned char>(i * 7 + 1);
    channel.sendTestCommand(1, 2);
    channel.sendTestCommand(0, 0x1234);
    channel.sendTestCommand(0, 0x0056);
    channel.sendTestCommand(1, 0xABCD);
    channel.setDeviceNumber(7);
    unsigned char const second = buffer[1];
    EXPECT_EQ(1, channel.readTestData(buffer, 1)) << "test values loop back one byte each";
    EXPECT_EQ(0x34, buffer[0]);
    EXPECT_EQ(second, buffer[1]) << "written beyond maxLength";
    EXPECT_EQ(1, channel.readTestData(buffer, sizeof buffer)) << "the count the driver reported";
    EXPECT_EQ(0x56, buffer[0]);
    EXPECT_EQ((Log{{VLX_SEND_TEST_COMMAND, {0x04, 0x01, 0x02, 0x00}},
                   {VLX_SEND_TEST_COMMAND, {0x04, 0x00, 0x34, 0x12}},
                   {VLX_SEND_TEST_COMMAND, {4, 0, 0x56, 0}},
                   {VLX_SEND_TEST_COMMAND, {0x04, 0x01, 0xCD, 0xAB}},
                   {VLX_SET_DEVICE_NUMBER, {0x07}},
                   {VLX_READ_TEST_DATA, {}},
                   {VLX_READ_TEST_DATA, {}}}),
              received(false, 1));
}

INSTANTIATE_TEST_SUITE_P(Completed, VlxUsbDriverCommandTest, ::testing::Bool(),
                         [](::testing::TestParamInfo<bool> const& info) {
                             return info.param ? "Later" : "AtOnce";
                         });

// The code 997 of a request that fails after pending is the shared base's, checked with the
// feedback interface's channel.
TEST_F(VlxUsbDriverTest, FailureCarriesItsCodeAndTheChannelGoesOn)
{
    unsigned char buffer[64];
    // The codes written out, not taken from the shared header: a wrong code there would reach the
    // channel and the simulated driver alike and pass every other test.
    struct
    {
        char const* name;
        unsigned long code;
        std::function<void(VlxUsbDriver&)> run;
    } const commands[] = {
        {"getDriverInfo", 0x00222004, [](VlxUsbDriver& c) { c.getDriverInfo(); }},
        {"sendTestCommand", 0x00222008, [](VlxUsbDriver& c) { c.sendTestCommand(1, 5); }},
        {"readTestData", 0x0022200C,
         [&](VlxUsbDriver& c) { c.readTestData(buffer, sizeof buffer); }},
        {"getDeviceNumber", 0x00222014, [](VlxUsbDriver& c) { c.getDeviceNumber(); }},
        {"setDeviceNumber", 0x00222018, [](VlxUsbDriver& c) { c.setDeviceNumber(4); }},
        {"getFirmwareVersion", 0x0022201C, [](VlxUsbDriver& c) { c.getFirmwareVersion(); }},
        {"writeFirmwareBlock", 0x00222020,
         [&](VlxUsbDriver& c) { c.writeFirmwareBlock(buffer, 8); }},
        {"getSerialNumber", 0x00222024, [](VlxUsbDriver& c) { c.getSerialNumber(); }}};
    VlxUsbDriver channel(1);
    channel.getDeviceNumber(); // the event that requests one at a time reuse
    long const before = openHandles();
    for (auto const& c : commands) {
        SimClient::vlxFail(1, c.code, statusDeviceNotConnected);
        EXPECT_EQ(errorMessage(accessText, ERROR_DEVICE_NOT_CONNECTED),
                  thrownText([&] { c.run(channel); }))
            << c.name;
        EXPECT_EQ("", thrownText([&] { c.run(channel); })) << c.name << " after its failure";
    }
    EXPECT_EQ(before, openHandles()) << "a failed request left its event open";
}

TEST_F(VlxUsbDriverTest, ReadWaitsWhileAnotherThreadSends)
{
    SimClient::vlxSetBlockingRead(1, true);
    VlxUsbDriver channel(1);
    unsigned char buffer[64] = {};
    unsigned short count = 0xFFFF;
    std::string readFailure = "not run", sendFailure = "not run";
    TestThread reader(channel.getHandle(), [&] {
        readFailure = thrownText([&] { count = channel.readTestData(buffer, 64); });
    });
    ASSERT_TRUE(requestArrived(false, 1, VLX_READ_TEST_DATA)) << "the read never arrived";
    EXPECT_FALSE(reader.wait(0)) << "the read should wait for looped-back data";
    // A second thread sends while the read is outstanding on the same handle.
    TestThread sender(channel.getHandle(),
                      [&] { sendFailure = thrownText([&] { channel.sendTestCommand(0, 0x5A); }); });
    ASSERT_TRUE(sender.wait(5000)) << "the send waited behind the read";
    ASSERT_TRUE(reader.wait(5000)) << "the read did not complete after the send";
    EXPECT_EQ("", readFailure + sendFailure);
    EXPECT_EQ(1, count);
    EXPECT_EQ(0x5A, buffer[0]);
}
}
