// Intel HEX written by real tools (sdcc, objcopy, srec_cat; see make-real-inputs.sh) must give
// the image the tool meant.
#include <gtest/gtest.h>

#include "HexTestUtil.h"
#include "TestFiles.h"

namespace
{
std::string input(char const* name)
{
    return programFolder() + "inputs\\" + name;
}

ParseResult parseFile(char const* name, unsigned short cellCount = FULL_IMAGE)
{
    IntelHexData hex{String(input(name).c_str())};
    return parseHex(hex, cellCount);
}

// The binary laid into an otherwise empty image.
std::vector<unsigned short> placed(char const* binary, unsigned int address)
{
    std::string bytes = readWholeFile(input(binary));
    EXPECT_FALSE(bytes.empty() || bytes[0] == '<') << bytes;
    return imageWith(FULL_IMAGE, address, bytes);
}

TEST(FirmwareRealInputTest, SdccProgramGivesTheLinkedImage)
{
    std::string fill00 = readWholeFile(input("sdcc-fill00.bin"));
    std::string fillFF = readWholeFile(input("sdcc-fillFF.bin"));
    std::string makebin = readWholeFile(input("sdcc-makebin.bin"));
    ASSERT_EQ(0x8000u, fill00.size());
    ASSERT_EQ(0x8000u, fillFF.size());
    ASSERT_GT(makebin.size(), 0x30u);

    ParseResult result = parseFile("sdcc.ihx");
    ASSERT_TRUE(result.ok()) << result.error;
    unsigned int present = 0;
    for (unsigned int a = 0; a < 0x8000; a++)
    {
        // Present exactly where the two differently filled binaries agree.
        bool inImage = fill00[a] == fillFF[a];
        unsigned short expected = inImage ? static_cast<unsigned char>(fill00[a]) : EMPTY;
        ASSERT_EQ(expected, result.cells[a]) << "cell 0x" << std::hex << a;
        if (inImage)
        {
            present++;
            ASSERT_LT(a, makebin.size());
            ASSERT_EQ(static_cast<unsigned char>(makebin[a]), result.cells[a]) << "cell 0x" << std::hex << a;
        }
    }
    EXPECT_EQ(0x02, result.cells[0]) << "the reset vector is an LJMP";
    EXPECT_GT(present, 100u);
}

TEST(FirmwareRealInputTest, ObjcopyBinaryAtAnOddAddress)
{
    ParseResult result = parseFile("objcopy.hex");
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(-1, firstDifference(placed("blob.bin", 0x2345), result.cells));
}

TEST(FirmwareRealInputTest, ObjcopyRefusals)
{
    // objcopy adds a start address record (type 03) when the addresses are moved.
    EXPECT_EQ("Ungültiger Recordtyp.", parseFile("objcopy-start.hex").error);
    // 17 bytes from 0x7FF0: the last one falls outside 32768 cells, but fits in 32769.
    EXPECT_EQ("Daten in ungültigen Adressraum.", parseFile("objcopy-top.hex").error);
    ParseResult wider = parseFile("objcopy-top.hex", FULL_IMAGE + 1);
    ASSERT_TRUE(wider.ok()) << wider.error;
    std::string blob = readWholeFile(input("blob17.bin"));
    ASSERT_EQ(17u, blob.size());
    EXPECT_EQ(static_cast<unsigned char>(blob[16]), wider.cells[0x8000]);
}

TEST(FirmwareRealInputTest, SrecCatWithSixteenBitAddresses)
{
    ParseResult result = parseFile("srec.hex");
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(-1, firstDifference(placed("blob.bin", 0x0400), result.cells));
}

TEST(FirmwareRealInputTest, SrecCatExtendedAddressRecordIsRefused)
{
    std::string text = readWholeFile(input("srec-ext.hex"));
    ASSERT_EQ(":02000004", text.substr(0, 9)) << "srec_cat no longer starts with a type 04 record";
    EXPECT_EQ("Ungültiger Recordtyp.", parseFile("srec-ext.hex").error);
}
}
