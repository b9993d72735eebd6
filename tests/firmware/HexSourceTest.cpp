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
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
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

// Intel HEX written by real tools (sdcc, objcopy, srec_cat; see make-real-inputs.sh) must give
// the image the tool meant.
std::string input(char const* name)
{
    std::string bytes = readWholeFile(programFolder() + "inputs\\" + name);
    EXPECT_NE('<', bytes[0]) << bytes;
    return bytes;
}

TEST(FirmwareRealInputTest, ToolOutputGivesTheImageMeantOrIsRefused)
{
    std::string blob = input("blob.bin"), fill00 = input("sdcc-fill00.bin"), fillFF = input("sdcc-fillFF.bin");
    ASSERT_EQ(1000u, blob.size());
    ASSERT_TRUE(fill00.size() == FULL_IMAGE && fillFF.size() == FULL_IMAGE);
    // sdcc's program is present exactly where srec_cat's two differently filled binaries agree.
    Cells sdcc(FULL_IMAGE, EMPTY);
    for (unsigned int a = 0; a < FULL_IMAGE; a++)
        if (fill00[a] == fillFF[a])
            sdcc[a] = static_cast<unsigned char>(fill00[a]);
    ASSERT_EQ(0x02, sdcc[0]) << "the reset vector is an LJMP";
    struct
    {
        char const* file;
        std::string error;
        Cells image;
        unsigned short cellCount = FULL_IMAGE;
    } const cases[] = {
        {"sdcc.ihx", "", sdcc},
        {"objcopy.hex", "", imageWith(0x2345, blob)},
        {"srec.hex", "", imageWith(0x0400, blob)},
        // 17 bytes from 0x7FF0: the last one falls outside 32768 cells, but fits in 32769.
        {"objcopy-top.hex", "Daten in ungültigen Adressraum.", {}},
        {"objcopy-top.hex", "", imageWith(0x7FF0, blob.substr(0, 17), FULL_IMAGE + 1), FULL_IMAGE + 1},
        // objcopy adds a start address record (type 03) when the addresses are moved; srec_cat
        // begins with an extended linear address record (type 04) unless told otherwise.
        {"objcopy-start.hex", "Ungültiger Recordtyp.", {}},
        {"srec-ext.hex", "Ungültiger Recordtyp.", {}},
    };
    for (auto const& c : cases)
    {
        ParseResult result = parseText(input(c.file), c.cellCount);
        EXPECT_EQ(c.error, result.error) << c.file;
        EXPECT_TRUE(c.image == result.cells) << c.file << " with " << c.cellCount << " cells";
    }
    EXPECT_EQ(":02000004", input("srec-ext.hex").substr(0, 9)) << "srec_cat no longer writes a type 04 record first";
}
}
