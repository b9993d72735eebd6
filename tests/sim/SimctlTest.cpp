// simctl as a person or a script uses it: exit status, and what it does to the driver.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "SimClient.h"
#include "VlxUsbCodes.h"

namespace {

struct SimctlRun {
    DWORD exitCode;
    std::string output; // standard output and error
};

// The build folder's simctl.exe, as a Windows path (Wine maps the Unix root to Z:).
std::string simctlPath()
{
    std::string p = "Z:" SIMCTL_UNIX_PATH;
    for (char& c : p)
        if (c == '/')
            c = '\\';
    return p;
}

SimctlRun simctl(std::string const& arguments)
{
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0))
        return {0xFFFFFFFF, "no pipe"};
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::string line = "\"" + simctlPath() + "\" " + arguments;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return {0xFFFFFFFF, "cannot start " + simctlPath()};
    }
    CloseHandle(writeEnd);
    SimctlRun r = {0xFFFFFFFF, ""};
    char buffer[4096];
    DWORD n;
    while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n)
        r.output.append(buffer, n);
    CloseHandle(readEnd);
    if (WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &r.exitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return r;
}

class SimctlTest : public ::testing::Test {
protected:
    void SetUp() override { SimClient::resetAll(); }
    void TearDown() override { SimClient::resetAll(); }
};

TEST_F(SimctlTest, WrongCommandLinesPrintUsageAndExitWithTwo)
{
    const char* wrong[] = {"", "bogus", "vlx", "vlx add", "vlx add 0", "vlx add 256", "vlx add 3 --mode odd",
                           "vlx fail 3", "krx feed 3 hex:7", "krx pending 3 maybe"};
    for (const char* arguments : wrong) {
        SimctlRun r = simctl(arguments);
        EXPECT_EQ(2u, r.exitCode) << arguments << "\n" << r.output;
        EXPECT_NE(std::string::npos, r.output.find("usage: simctl")) << arguments;
    }
    EXPECT_TRUE(SimClient::vlxDevices().empty()) << "no half-done add";
}

TEST_F(SimctlTest, AddSetsTheDeviceUpAndLogPrintsOneLinePerRequest)
{
    SimctlRun r = simctl("vlx add 250 --version 2.07 --mode emergency --serial 0x010203 --text \"Treiber\\x21\"");
    ASSERT_EQ(0u, r.exitCode) << r.output;
    SimState s = SimClient::vlxState(250);
    EXPECT_EQ(2, s.version[0]);
    EXPECT_EQ(7, s.version[1]);
    EXPECT_EQ(1, s.version[2]);
    EXPECT_EQ(3, s.serial[2]);

    HANDLE h = CreateFileA("\\\\.\\VlxUsb250", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    char text[64] = {};
    DWORD n = 0;
    EXPECT_TRUE(DeviceIoControl(h, VLX_GET_DRIVER_INFO, nullptr, 0, text, sizeof text, &n, nullptr));
    EXPECT_STREQ("Treiber!", text);
    unsigned char block[3] = {0x01, 0x00, 0x70};
    EXPECT_TRUE(DeviceIoControl(h, VLX_WRITE_FIRMWARE_BLOCK, block, 3, nullptr, 0, &n, nullptr));
    CloseHandle(h);

    r = simctl("vlx log 250");
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_EQ("0x00222004\r\n0x00222020 01 00 70\r\n", r.output);

    r = simctl("vlx add 250");
    EXPECT_EQ(1u, r.exitCode) << "present already";
    r = simctl("krx remove 250");
    EXPECT_EQ(1u, r.exitCode) << "no such feedback interface";
    EXPECT_NE(std::string::npos, r.output.find("433")) << r.output;
}

} // namespace
