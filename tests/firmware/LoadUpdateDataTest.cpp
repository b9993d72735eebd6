#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "HexTestUtil.h"
#include "LoadUpdateData.h"
#include "ProgramSettings.h"
#include "TestFiles.h"
#include "Window.h"

namespace
{
// Lets the test record the instance the loader reads its resource from, as WinMain does.
struct MainInstance : Window
{
    static void set() { setMainInstance(GetModuleHandleA(nullptr)); }
};

// The version bytes of a parsed image ("1.8" built in, "2.66" in the test's file), or its failure.
std::string version(ParseResult const& r)
{
    return r.ok() ? std::to_string(r.cells[0x7000]) + "." + std::to_string(r.cells[0x7001]) : r.error;
}

class FirmwareLoadUpdateDataTest : public testing::Test
{
protected:
    void SetUp() override
    {
        MainInstance::set();
        writeWholeFile(path, hexRecord(0x7000, 0, "\x02\x42") + "\r\n" + END_RECORD);
    }
    void TearDown() override
    {
        ProgramSettings::firmwareFilePath[0] = '\0';
        DeleteFileA(path.c_str());
    }

    // Loads with `p` as the firmware file path: the description, then the image's version.
    std::pair<std::string, std::string> load(std::string const& p)
    {
        EXPECT_LT(p.size(), sizeof ProgramSettings::firmwareFilePath);
        strncpy(ProgramSettings::firmwareFilePath, p.c_str(), sizeof ProgramSettings::firmwareFilePath - 1);
        char description[UPDATE_DESCRIPTION_SIZE];
        memset(description, 0x7E, sizeof description);
        std::unique_ptr<IntelHexData> data(loadUpdateData(description));
        EXPECT_TRUE(memchr(description, 0, sizeof description)) << "description without NUL";
        return {std::string(description, strnlen(description, sizeof description)),
                data ? version(parseHex(*data)) : "no data"};
    }

    std::string const path = scratchPath("fwload");
};

TEST_F(FirmwareLoadUpdateDataTest, FileWhenItCanBeOpenedElseTheBuiltInImageSilently)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string relative = ".\\fwload_" + std::to_string(GetCurrentProcessId()) + ".hex", broken = path + ".broken";
    CopyFileA(path.c_str(), relative.c_str(), FALSE);
    writeWholeFile(broken, "Das ist keine Firmware.");
    struct
    {
        std::string path, description, version;
    } const cases[] = {
        {"", "intern", "1.8"},
        {path, path, "2.66"},
        {relative, relative, "2.66"},
        {broken, broken, "Unerwartetes Datenende."},
        {path + ".missing", "intern", "1.8"},
        {folder, "intern", "1.8"},
        {std::string(folder) + "nirgends\\firmware.hex", "intern", "1.8"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(std::make_pair(c.description, c.version), load(c.path)) << "path \"" << c.path << "\"";
    DeleteFileA(relative.c_str());
    DeleteFileA(broken.c_str());
}

TEST_F(FirmwareLoadUpdateDataTest, FileHeldByAnotherProgramFallsBack)
{
    std::string command = "\"" + programFolder() + "fw_holdfile.exe\" \"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION holder = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &holder))
        << GetLastError();
    // Held once a reader that shares everything is refused.
    bool held = false;
    for (int i = 0; i < 400 && !held && WaitForSingleObject(holder.hProcess, 50) == WAIT_TIMEOUT; i++)
    {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        held = h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
    EXPECT_TRUE(held) << "the holder did not open the file";
    if (held)
    {
        EXPECT_EQ(std::make_pair(std::string("intern"), std::string("1.8")), load(path));
    }
    TerminateProcess(holder.hProcess, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(holder.hProcess, 20000));
    CloseHandle(holder.hProcess);
    CloseHandle(holder.hThread);
    EXPECT_EQ(path, load(path).first) << "let go, the file is chosen again";
}

TEST_F(FirmwareLoadUpdateDataTest, CallsGiveIndependentObjectsReadAtTheCall)
{
    for (std::string p : {path, std::string()})
    {
        strcpy(ProgramSettings::firmwareFilePath, p.c_str());
        std::unique_ptr<IntelHexData> first(loadUpdateData(nullptr));
        writeWholeFile(path, hexRecord(0x7000, 0, "\3\1") + END_RECORD);
        std::unique_ptr<IntelHexData> second(loadUpdateData(nullptr));
        ASSERT_TRUE(first && second && first != second);
        EXPECT_EQ(p.empty() ? "1.8" : "2.66", version(parseHex(*first))) << p;
        first.reset();
        EXPECT_EQ(p.empty() ? "1.8" : "3.1", version(parseHex(*second))) << p;
    }
}
}
