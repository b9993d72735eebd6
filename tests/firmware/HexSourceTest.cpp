// Where the firmware comes from: the built-in resource, a file, and the choice between them.
#include <gtest/gtest.h>

#include <cstring>

#include "HexTestUtil.h"
#include "LoadUpdateData.h"
#include "TestFiles.h"
#include "Win32Exception.h"
#include "Window.h"

namespace
{
TEST(FirmwareHexFileTest, ReadsTheWholeFileAloneIntoACopyOfItsOwn)
{
    std::string path = scratchPath("fwhex");
    writeWholeFile(path, hexRecord(0x7000, 0, "\1\x09") + "\r\n" + END_RECORD + "\r\n");
    // Another holder that allows everything still keeps an exclusive reader out.
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_THROW(IntelHexData{String(path.c_str())}, Win32Exception);
    CloseHandle(holder);
    // A read-only file that nobody else holds is read, closed again, and later changes are not seen.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    IntelHexData hex{String(path.c_str())};
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    writeWholeFile(path, "broken");
    EXPECT_TRUE(DeleteFileA(path.c_str())) << GetLastError();
    EXPECT_TRUE(imageWith(0x7000, "\1\x09") == parseHex(hex).cells);
}

// The version bytes of an image ("1.8" built in, "2.66" in the test's file), or its failure.
std::string version(IntelHexData* data)
{
    ParseResult r = parseHex(*data);
    return r.ok() ? std::to_string(r.cells[0x7000]) + "." + std::to_string(r.cells[0x7001])
                  : r.error;
}

// Loads with `path` as the firmware file path: the description, a blank, the image's version.
std::string load(std::string const& path)
{
    Window::setMainInstance(GetModuleHandleA(nullptr)); // as WinMain does: the resource's module
    char description[UPDATE_DESCRIPTION_SIZE];
    memset(description, 0x7E, sizeof description);
    std::unique_ptr<IntelHexData> data(loadUpdateData(description, path.c_str()));
    EXPECT_TRUE(memchr(description, 0, sizeof description)) << "description without NUL";
    return std::string(description, strnlen(description, sizeof description)) + " " +
        (data ? version(data.get()) : "no object");
}

std::string const FILE_TEXT = hexRecord(0x7000, 0, "\x02\x42") + "\r\n" + END_RECORD;

TEST(FirmwareLoadUpdateDataTest, FileWhenItCanBeOpenedElseTheBuiltInImageSilently)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string path = scratchPath("fwload"), broken = path + ".broken",
                relative = ".\\fwload_" + std::to_string(GetCurrentProcessId()) + ".hex";
    writeWholeFile(path, FILE_TEXT);
    writeWholeFile(relative, FILE_TEXT);
    writeWholeFile(broken, "Das ist keine Firmware.");
    for (std::pair<std::string, std::string> c :
         {std::make_pair(std::string(), std::string("intern 1.8")),
          {path, path + " 2.66"},
          {relative, relative + " 2.66"},
          {broken, broken + " Unerwartetes Datenende."},
          {path + ".missing", "intern 1.8"},
          {folder, "intern 1.8"}})
        EXPECT_EQ(c.second, load(c.first)) << "path \"" << c.first << "\"";
    // A file that another holder keeps to itself is passed over like a missing one.
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ("intern 1.8", load(path));
    CloseHandle(holder);
    for (std::string const& p : {path, broken, relative})
        DeleteFileA(p.c_str());
    // Two calls give objects of their own: one goes, the other still parses.
    char description[UPDATE_DESCRIPTION_SIZE];
    std::unique_ptr<IntelHexData> first(loadUpdateData(description, "")),
        second(loadUpdateData(description, ""));
    first.reset();
    EXPECT_EQ("1.8", version(second.get()));
}
}
