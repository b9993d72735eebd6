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
class MainInstance : public Window
{
public:
    static void set() { setMainInstance(GetModuleHandleA(nullptr)); }
};

struct Loaded
{
    std::string description;
    ParseResult result;
};

Loaded load()
{
    char description[UPDATE_DESCRIPTION_SIZE];
    memset(description, 0x7E, sizeof description);
    std::unique_ptr<IntelHexData> data(loadUpdateData(description));
    EXPECT_NE(nullptr, data.get());
    Loaded loaded;
    loaded.description.assign(description, strnlen(description, sizeof description));
    EXPECT_LT(loaded.description.size(), sizeof description) << "description without NUL";
    if (data)
        loaded.result = parseHex(*data, FULL_IMAGE);
    return loaded;
}

class FirmwareLoadUpdateDataTest : public testing::Test
{
protected:
    void SetUp() override
    {
        MainInstance::set();
        ProgramSettings::firmwareFilePath[0] = '\0';
        writeWholeFile(path, fileText);
    }
    void TearDown() override
    {
        ProgramSettings::firmwareFilePath[0] = '\0';
        DeleteFileA(path.c_str());
    }

    void usePath(std::string const& p)
    {
        ASSERT_LT(p.size(), sizeof ProgramSettings::firmwareFilePath);
        strcpy(ProgramSettings::firmwareFilePath, p.c_str());
    }

    // Version 2.66 in the file, 1.08 in the program: the two sources cannot be mixed up.
    std::string const fileText = hexRecord(0x7000, 0, {2, 66}) + "\r\n" + endRecord();
    std::string const path = scratchPath("fwload");
};

void expectBuiltIn(Loaded const& loaded)
{
    EXPECT_EQ("intern", loaded.description);
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.error;
    EXPECT_EQ(1, loaded.result.cells[0x7000]);
    EXPECT_EQ(8, loaded.result.cells[0x7001]);
}

TEST_F(FirmwareLoadUpdateDataTest, NoPathGivesTheBuiltInImage)
{
    expectBuiltIn(load());
}

TEST_F(FirmwareLoadUpdateDataTest, ReadableFileWinsWithItsPathAsDescription)
{
    usePath(path);
    Loaded loaded = load();
    EXPECT_EQ(path, loaded.description);
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.error;
    EXPECT_EQ(-1, firstDifference(imageWith(FULL_IMAGE, 0x7000, "\x02\x42"), loaded.result.cells));
}

TEST_F(FirmwareLoadUpdateDataTest, UnusableFilesFallBackSilently)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    for (std::string p : {path + ".missing", std::string(folder), std::string(folder) + "nirgends\\firmware.hex"})
    {
        usePath(p);
        SCOPED_TRACE(p);
        expectBuiltIn(load());
    }
}

TEST_F(FirmwareLoadUpdateDataTest, FileHeldByAnotherProgramFallsBack)
{
    usePath(path);
    std::string suffix = std::to_string(GetCurrentProcessId());
    std::string readyName = "fwhold_ready_" + suffix, releaseName = "fwhold_release_" + suffix;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
    std::string command = "\"" + programFolder() + "fw_holdfile.exe\" \"" + path + "\" " + readyName + " " + releaseName;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        << GetLastError();
    HANDLE waitFor[] = {ready, process.hProcess};
    DWORD woke = WaitForMultipleObjects(2, waitFor, FALSE, 20000);
    if (woke == WAIT_OBJECT_0)
        expectBuiltIn(load());
    else
        ADD_FAILURE() << "the holder did not open the file (wait result " << woke << ")";
    SetEvent(release);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 20000));
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(ready);
    CloseHandle(release);
    // Let go, the same file is chosen again.
    EXPECT_EQ(path, load().description);
}

TEST_F(FirmwareLoadUpdateDataTest, BrokenContentIsStillChosen)
{
    writeWholeFile(path, "Das ist keine Firmware.");
    usePath(path);
    Loaded loaded = load();
    EXPECT_EQ(path, loaded.description);
    EXPECT_EQ("Unerwartetes Datenende.", loaded.result.error);
}

TEST_F(FirmwareLoadUpdateDataTest, RelativePathIsShownAsGiven)
{
    std::string name = "fwload_relative_" + std::to_string(GetCurrentProcessId()) + ".hex";
    writeWholeFile(name, fileText);
    usePath(".\\" + name);
    Loaded loaded = load();
    DeleteFileA(name.c_str());
    EXPECT_EQ(".\\" + name, loaded.description);
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.error;
    EXPECT_EQ(66, loaded.result.cells[0x7001]);
}

TEST_F(FirmwareLoadUpdateDataTest, CallsGiveIndependentObjectsReadAtTheCall)
{
    usePath(path);
    IntelHexData* first = loadUpdateData(nullptr);
    writeWholeFile(path, hexRecord(0x7000, 0, {3, 1}) + endRecord());
    IntelHexData* second = loadUpdateData(nullptr);
    ASSERT_NE(first, second);
    delete first;
    ParseResult result = parseHex(*second, FULL_IMAGE);
    delete second;
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(3, result.cells[0x7000]);

    ProgramSettings::firmwareFilePath[0] = '\0';
    first = loadUpdateData(nullptr);
    second = loadUpdateData(nullptr);
    ASSERT_NE(first, second);
    delete second;
    EXPECT_TRUE(parseHex(*first, FULL_IMAGE).ok());
    delete first;
}
}
