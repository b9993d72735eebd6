// The simulated command station, through its channel, and simctl where the channel tests do not
// look: removal while open, a log longer than an update, and simctl as a person or a script uses it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ErrorText.h"
#include "SimClient.h"
#include "VlxUsbCodes.h"
#include "VlxUsbDriver.h"
#include "WineWait.h"

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

// Runs the build folder's simctl.exe (Wine maps the Unix root to Z:); its exit code, or
// 0xFFFFFFFF when it did not start or end, and its standard output and error in output.
DWORD simctl(std::string const& arguments, std::string& output)
{
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0))
        return 0xFFFFFFFF;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd;
    PROCESS_INFORMATION pi = {};
    std::string line = "\"" + windowsPath(SIMCTL_UNIX_PATH) + "\" " + arguments;
    bool started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &si, &pi);
    CloseHandle(writeEnd);
    output.clear();
    char buffer[4096];
    DWORD n, exitCode = 0xFFFFFFFF;
    while (started && ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n)
        output.append(buffer, n);
    CloseHandle(readEnd);
    if (started && WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &exitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return exitCode;
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
        EXPECT_EQ(2u, simctl(arguments, output)) << arguments << "\n" << output;
        EXPECT_NE(std::string::npos, output.find("usage: simctl")) << arguments;
    }
    EXPECT_TRUE(SimClient::vlxDevices().empty()) << "no half-done add";
}

TEST_F(SimctlTest, AddFailAndLogDoWhatTheySay)
{
    std::string output;
    ASSERT_EQ(
        0u,
        simctl(
            "vlx add 250 --version 2.07 --mode emergency --serial 0x010203 --text \"Treiber\\x21\"",
            output))
        << output;
    SimState s = SimClient::vlxState(250);
    EXPECT_EQ((std::vector<int>{2, 7, 1, 1, 2, 3}),
              (std::vector<int>{s.version[0], s.version[1], s.version[2], s.serial[0], s.serial[1],
                                s.serial[2]}));
    ASSERT_EQ(0u, simctl("vlx fail 250 firmware --after 1", output)) << output;
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
    EXPECT_EQ(0u, simctl("vlx log 250", output));
    EXPECT_EQ("0x00222004\r\n0x00222020 01 00 70\r\n0x00222020 01\r\n0x00222020\r\n", output)
        << "failed ones too";

    EXPECT_EQ(1u, simctl("vlx add 250", output)) << "present already";
    EXPECT_EQ(1u, simctl("krx remove 250", output)) << "no such feedback interface";
    EXPECT_NE(std::string::npos, output.find("433")) << output;
}

} // namespace
