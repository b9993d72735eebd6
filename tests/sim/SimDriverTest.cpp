// The simulated command station, through its channel, and simctl where the channel tests do not
// look: removal while open, a log longer than an update, and simctl's commands as a person or a
// script gives them (simctl.exe only hands its arguments over; flasher_test.py runs it).
#include <windows.h>

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "ErrorText.h"
#include "SimClient.h"
#include "SimctlCommand.h"
#include "VlxUsbCodes.h"
#include "VlxUsbDriver.h"

namespace
{

// The error code of a failed firmware block of `length` bytes on the channel, 0 when it succeeds.
unsigned long blockFailure(VlxUsbDriver& channel, unsigned char const* block = nullptr,
                           unsigned char length = 0)
{
    unsigned long code = 0;
    thrownText([&] { channel.writeFirmwareBlock(block, length); }, &code);
    return code;
}

// A simctl command line run in this process: its exit status; what it printed, complaints last.
int simctl(std::string const& line, std::string& output)
{
    std::istringstream words(line);
    std::string errors;
    output.clear();
    int status = runSimctlCommand({std::istream_iterator<std::string>(words), {}}, output, errors);
    output += errors;
    return status;
}

class SimDriverTest : public ::testing::Test
{
    void SetUp() override { SimClient::resetAll(); }
    void TearDown() override { SimClient::resetAll(); }
};
using SimctlTest = SimDriverTest;

TEST_F(SimDriverTest, RemovedWhileOpenTheOldHandleStaysDead)
{
    SimClient::vlxAdd(9);
    {
        VlxUsbDriver first(9);
        SimClient::vlxRemove(9);
        EXPECT_EQ(DWORD(ERROR_DEVICE_NOT_CONNECTED), blockFailure(first));
        EXPECT_FALSE(VlxUsbDriver::isPresent(9));
        // Plugged in again while the old handle is still open: a new device, the old handle stays dead.
        SimClient::vlxAdd(9);
        VlxUsbDriver again(9);
        EXPECT_EQ(0u, blockFailure(again));
        EXPECT_EQ(DWORD(ERROR_DEVICE_NOT_CONNECTED), blockFailure(first));
    }
    VlxUsbDriver next(9);
    EXPECT_EQ(0u, blockFailure(next)) << "closing frees the device for the next open";
}

TEST_F(SimDriverTest, AWholeFirmwareUpdateComesBackInOrderAcrossPages)
{
    SimClient::vlxAdd(200);
    VlxUsbDriver channel(200);
    SimClient::vlxClearLog(200);
    // More requests than an update makes (about 1500), payloads of 0 to 35 bytes whose bytes
    // encode their index.
    unsigned const count = 2000;
    for (unsigned i = 0; i < count; ++i) {
        unsigned char block[35];
        for (unsigned k = 0; k < i % 36; ++k)
            block[k] = static_cast<unsigned char>(i + k);
        ASSERT_EQ(0u, blockFailure(channel, block, i % 36)) << i;
    }
    // 1 KB pages: dozens of pages; 30 bytes: smaller than most entries, so the reader must grow.
    for (unsigned long pageSize : {1024ul, 30ul, 256ul * 1024}) {
        std::vector<SimRequest> log = SimClient::log(false, 200, pageSize);
        ASSERT_EQ(count, log.size()) << pageSize;
        for (unsigned i = 0; i < count; ++i) {
            ASSERT_EQ(VLX_WRITE_FIRMWARE_BLOCK, log[i].code) << i;
            ASSERT_EQ(i % 36, log[i].payload.size()) << i;
            for (unsigned k = 0; k < log[i].payload.size(); ++k)
                ASSERT_EQ(static_cast<unsigned char>(i + k), log[i].payload[k]) << i << "/" << k;
        }
    }
}

TEST_F(SimctlTest, WrongCommandLinesPrintUsageAndExitWithTwo)
{
    for (char const* arguments :
         {"", "bogus", "vlx", "vlx add", "vlx add 0", "vlx add 256", "vlx add 3 --mode odd",
          "vlx fail 3", "krx feed 3 hex:7", "krx pending 3 maybe"}) {
        std::string output;
        EXPECT_EQ(2, simctl(arguments, output)) << arguments << "\n" << output;
        EXPECT_NE(std::string::npos, output.find("usage: simctl")) << arguments;
    }
    EXPECT_TRUE(SimClient::vlxDevices().empty()) << "no half-done add";
}

TEST_F(SimctlTest, AddFailAndLogDoWhatTheySay)
{
    std::string output;
    ASSERT_EQ(0,
              simctl("vlx add 250 --version 2.07 --mode emergency --serial 0x010203 "
                     "--text Treiber\\x21",
                     output))
        << output;
    SimState s = SimClient::vlxState(250);
    EXPECT_EQ((std::vector<int>{2, 7, 1, 1, 2, 3}),
              (std::vector<int>{s.version[0], s.version[1], s.version[2], s.serial[0], s.serial[1],
                                s.serial[2]}));
    ASSERT_EQ(0, simctl("vlx fail 250 firmware --after 1", output)) << output;
    {
        VlxUsbDriver channel(250);
        SimClient::vlxClearLog(250);
        EXPECT_STREQ("Treiber!", channel.getDriverInfo());
        unsigned char const block[3] = {0x01, 0x00, 0x70};
        EXPECT_EQ(0u, blockFailure(channel, block, 3));
        EXPECT_EQ(DWORD(ERROR_DEVICE_NOT_CONNECTED), blockFailure(channel, block, 1))
            << "the one after 1";
        EXPECT_EQ(0u, blockFailure(channel)) << "that one only";
    }
    EXPECT_EQ(0, simctl("vlx log 250", output));
    EXPECT_EQ("0x00222004\n0x00222020 01 00 70\n0x00222020 01\n0x00222020\n", output)
        << "failed ones too";

    EXPECT_EQ(1, simctl("vlx add 250", output)) << "present already";
    EXPECT_EQ(1, simctl("krx remove 250", output)) << "no such feedback interface";
    EXPECT_NE(std::string::npos, output.find("433")) << output;
}

} // namespace
