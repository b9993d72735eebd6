#include <gtest/gtest.h>

#include <cstring>

#include "HexTestUtil.h"
#include "LoadUpdateData.h"
#include "TestFiles.h"
#include "Window.h"

namespace
{
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
          {folder, "intern 1.8"},
          {std::string(folder) + "nirgends\\firmware.hex", "intern 1.8"}})
        EXPECT_EQ(c.second, load(c.first)) << "path \"" << c.first << "\"";
    // A file that another holder keeps to itself is passed over like a missing one.
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ("intern 1.8", load(path));
    CloseHandle(holder);

    // Two calls give independent objects, each read at its call.
    std::unique_ptr<IntelHexData> first(loadUpdateData(nullptr, path.c_str()));
    writeWholeFile(path, hexRecord(0x7000, 0, "\3\1") + END_RECORD);
    std::unique_ptr<IntelHexData> second(loadUpdateData(nullptr, path.c_str()));
    ASSERT_NE(first.get(), second.get());
    EXPECT_EQ("2.66", version(first.get()));
    first.reset();
    EXPECT_EQ("3.1", version(second.get()));
    for (std::string const& p : {path, broken, relative})
        DeleteFileA(p.c_str());
}
}
