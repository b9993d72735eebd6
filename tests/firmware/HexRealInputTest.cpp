// Intel HEX written by real tools (sdcc, objcopy, srec_cat; see make-real-inputs.sh) must give
// the image the tool meant.
#include <gtest/gtest.h>

#include "HexTestUtil.h"
#include "TestFiles.h"

namespace
{
std::string input(char const* name)
{
    std::string bytes = readWholeFile(programFolder() + "inputs\\" + name);
    EXPECT_NE('<', bytes[0]) << bytes;
    return bytes;
}

TEST(FirmwareRealInputTest, SdccProgramGivesTheLinkedImage)
{
    std::string fill00 = input("sdcc-fill00.bin"), fillFF = input("sdcc-fillFF.bin"), makebin = input("sdcc-makebin.bin");
    ASSERT_EQ(0x8000u, fill00.size());
    ASSERT_EQ(0x8000u, fillFF.size());
    ParseResult result = parseText(input("sdcc.ihx"));
    ASSERT_TRUE(result.ok()) << result.error;
    // Present exactly where srec_cat's two differently filled binaries agree, and there as sdcc's
    // own makebin wrote it.
    Cells expected(FULL_IMAGE, EMPTY);
    unsigned int present = 0;
    for (unsigned int a = 0; a < FULL_IMAGE; a++)
        if (fill00[a] == fillFF[a])
        {
            ASSERT_TRUE(a < makebin.size() && makebin[a] == fill00[a]) << "cell 0x" << std::hex << a;
            expected[a] = static_cast<unsigned char>(fill00[a]);
            present++;
        }
    EXPECT_EQ(-1, firstDifference(expected, result.cells));
    EXPECT_EQ(0x02, result.cells[0]) << "the reset vector is an LJMP";
    EXPECT_GT(present, 100u);
}

TEST(FirmwareRealInputTest, ObjcopyAndSrecCatGiveTheirBinaryOrAreRefused)
{
    std::string blob = input("blob.bin");
    ASSERT_EQ(1000u, blob.size());
    struct
    {
        char const* file;
        unsigned short cellCount;
        std::string error;
        Cells image;
    } const cases[] = {
        {"objcopy.hex", FULL_IMAGE, "", imageWith(0x2345, blob)},
        {"srec.hex", FULL_IMAGE, "", imageWith(0x0400, blob)},
        // 17 bytes from 0x7FF0: the last one falls outside 32768 cells, but fits in 32769.
        {"objcopy-top.hex", FULL_IMAGE, "Daten in ungültigen Adressraum.", {}},
        {"objcopy-top.hex", FULL_IMAGE + 1, "", imageWith(0x7FF0, blob.substr(0, 17), FULL_IMAGE + 1)},
        // objcopy adds a start address record (type 03) when the addresses are moved; srec_cat
        // begins with an extended linear address record (type 04) unless told otherwise.
        {"objcopy-start.hex", FULL_IMAGE, "Ungültiger Recordtyp.", {}},
        {"srec-ext.hex", FULL_IMAGE, "Ungültiger Recordtyp.", {}},
    };
    for (auto const& c : cases)
    {
        ParseResult result = parseText(input(c.file), c.cellCount);
        EXPECT_EQ(c.error, result.error) << c.file;
        EXPECT_EQ(-1, firstDifference(c.image, result.cells)) << c.file << " with " << c.cellCount << " cells";
    }
    EXPECT_EQ(":02000004", input("srec-ext.hex").substr(0, 9)) << "srec_cat no longer writes a type 04 record first";
}
}
