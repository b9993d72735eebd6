#include <gtest/gtest.h>

#include "HexTestUtil.h"
#include "TestFiles.h"
#include "Win32Exception.h"

namespace
{
// The resource's text is a firmware's: 475 data records ended by CR LF, then the end record
// without a line end; it gives version 1.08 in cells 0x7000 and 0x7001 and the three top cells.
TEST(FirmwareBuiltInImageTest, IsReadFromItsResource)
{
    std::string text = builtInText();
    EXPECT_EQ(21024u, text.size());
    EXPECT_EQ(475, std::count(text.begin(), text.end(), '\r'));
    EXPECT_EQ(std::string("\r\n") + END_RECORD, text.substr(text.size() - 13));
    IntelHexData hex(GetModuleHandleA(nullptr), IDR_FIRMWARE);
    Cells c = parseHex(hex).cells;
    ASSERT_EQ(FULL_IMAGE, c.size());
    EXPECT_EQ(Cells({1, 8}), Cells(c.begin() + 0x7000, c.begin() + 0x7002));
    EXPECT_EQ(7419, std::count_if(c.begin(), c.end(), [](unsigned short v) { return v < 0x100; }));
    EXPECT_EQ(0, std::count(c.begin() + 0x7FFD, c.end(), EMPTY));
    IntelHexData missing(GetModuleHandleA(nullptr), 4711);
    EXPECT_EQ("Unerwartetes Datenende.", parseHex(missing).error);
}

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
}
