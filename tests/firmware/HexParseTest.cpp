#include <gtest/gtest.h>

#include "HexTestUtil.h"

namespace
{
char const END_OF_DATA[] = "Unerwartetes Datenende.";
char const BAD_CHARACTER[] = "Ungültiges Zeichen gefunden.";
char const BAD_TYPE[] = "Ungültiger Recordtyp.";
char const BAD_ADDRESS[] = "Daten in ungültigen Adressraum.";
char const BAD_CHECKSUM[] = "Ungültige Prüfsumme.";

std::vector<unsigned char> run(unsigned char first, unsigned int count)
{
    std::vector<unsigned char> bytes;
    for (unsigned int i = 0; i < count; i++)
        bytes.push_back(static_cast<unsigned char>(first + i));
    return bytes;
}

struct Refused
{
    char const* name;
    std::string text;
    unsigned short cellCount;
    char const* error;
};

void PrintTo(Refused const& c, std::ostream* os)
{
    *os << c.name;
}

class FirmwareHexRefusedTest : public testing::TestWithParam<Refused>
{
};

std::string const E = endRecord();

INSTANTIATE_TEST_SUITE_P(
    Texts, FirmwareHexRefusedTest,
    testing::Values(
        Refused{"empty", "", FULL_IMAGE, END_OF_DATA},
        Refused{"no_end_record", hexRecord(0x10, 0, {1, 2}) + "\r\n", FULL_IMAGE, END_OF_DATA},
        Refused{"stops_in_count", ":0", FULL_IMAGE, END_OF_DATA},
        Refused{"stops_in_data", ":0300300002", FULL_IMAGE, END_OF_DATA},
        Refused{"stops_before_checksum", ":0300300002337A", FULL_IMAGE, END_OF_DATA},
        Refused{"letter_in_data", ":03003000023G7A1E\r\n" + E, FULL_IMAGE, BAD_CHARACTER},
        Refused{"blank_inside_record", ":03003000 02337A1E\r\n" + E, FULL_IMAGE, BAD_CHARACTER},
        Refused{"line_end_inside_record", ":030030\r\n0002337A1E\r\n" + E, FULL_IMAGE, BAD_CHARACTER},
        Refused{"colon_inside_record", ":0300:3000\r\n" + E, FULL_IMAGE, BAD_CHARACTER},
        Refused{"type_02", hexRecord(0, 2, {0x10, 0x00}) + E, FULL_IMAGE, BAD_TYPE},
        Refused{"type_03", hexRecord(0, 3, {0, 0, 0x12, 0x34}) + E, FULL_IMAGE, BAD_TYPE},
        Refused{"type_04_address_0", ":020000040000FA\r\n" + E, FULL_IMAGE, BAD_TYPE},
        Refused{"type_ff", hexRecord(0, 0xFF, {}) + E, FULL_IMAGE, BAD_TYPE},
        // The type is judged before any data byte is read.
        Refused{"type_before_data", ":02000004ZZZZ\r\n" + E, FULL_IMAGE, BAD_TYPE},
        Refused{"17_bytes_at_7FF0", hexRecord(0x7FF0, 0, run(0, 17)) + E, FULL_IMAGE, BAD_ADDRESS},
        Refused{"2_bytes_at_7FFF", hexRecord(0x7FFF, 0, {1, 2}) + E, FULL_IMAGE, BAD_ADDRESS},
        Refused{"1_byte_at_8000", hexRecord(0x8000, 0, {1}) + E, FULL_IMAGE, BAD_ADDRESS},
        Refused{"1_byte_at_FFFF", hexRecord(0xFFFF, 0, {1}) + E, FULL_IMAGE, BAD_ADDRESS},
        // 65535 cells end at 0xFFFE; a record up to 0xFFFF must not wrap to cell 0.
        Refused{"16_bytes_at_FFF0_of_65535", hexRecord(0xFFF0, 0, run(0, 16)) + E, 65535, BAD_ADDRESS},
        Refused{"small_image", hexRecord(0x0010, 0, {1}) + E, 16, BAD_ADDRESS},
        Refused{"end_record_data_outside", hexRecord(0x8000, 1, {1}), FULL_IMAGE, BAD_ADDRESS},
        // The address is checked with each data byte, before the checksum is read.
        Refused{"address_before_checksum", ":0180000001FF\r\n" + E, FULL_IMAGE, BAD_ADDRESS},
        Refused{"data_checksum", ":0300300002337A1F\r\n" + E, FULL_IMAGE, BAD_CHECKSUM},
        Refused{"end_record_checksum", ":00000001FE", FULL_IMAGE, BAD_CHECKSUM},
        Refused{"checksum_not_hex", ":0300300002337A1X\r\n" + E, FULL_IMAGE, BAD_CHARACTER}),
    [](testing::TestParamInfo<Refused> const& info) { return std::string(info.param.name); });

TEST_P(FirmwareHexRefusedTest, GivesItsText)
{
    ParseResult result = parseText(GetParam().text, GetParam().cellCount);
    EXPECT_EQ(GetParam().error, result.error);
}

TEST(FirmwareHexParseTest, EndRecordAloneGivesAnEmptyImage)
{
    ParseResult result = parseText(E);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(std::vector<unsigned short>(FULL_IMAGE, EMPTY), result.cells);
}

TEST(FirmwareHexParseTest, RecordStoresItsBytesAtItsAddressInEitherCase)
{
    std::vector<unsigned short> expected = imageWith(FULL_IMAGE, 0x30, "\x02\x33\x7A");
    for (char const* text : {":0300300002337A1E\r\n:00000001FF", ":0300300002337a1e\n:00000001ff"})
    {
        ParseResult result = parseText(text);
        ASSERT_TRUE(result.ok()) << text << ": " << result.error;
        EXPECT_EQ(-1, firstDifference(expected, result.cells)) << text;
    }
}

TEST(FirmwareHexParseTest, TextAfterTheEndRecordIsNeverRead)
{
    std::string body = hexRecord(0x100, 0, {0xAB}) + "\r\n" + E;
    std::vector<unsigned short> expected = imageWith(FULL_IMAGE, 0x100, "\xAB");
    for (std::string tail : {std::string(), std::string("\r\n"), std::string("\n"), std::string("::::ZZ"),
                             std::string(":0300"), std::string("\x00\xFF garbage", 10)})
    {
        ParseResult result = parseText(body + tail);
        ASSERT_TRUE(result.ok()) << result.error;
        EXPECT_EQ(-1, firstDifference(expected, result.cells));
    }
}

TEST(FirmwareHexParseTest, AnythingBeforeAColonIsSkipped)
{
    std::string text = "junk\t " + hexRecord(0x10, 0, {1}) + "x y z\r\n\r\n" + hexRecord(0x11, 0, {2}) + "\n;" + E;
    ParseResult result = parseText(text);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(-1, firstDifference(imageWith(FULL_IMAGE, 0x10, "\x01\x02"), result.cells));
}

TEST(FirmwareHexParseTest, RecordsInAnyOrderAndLaterBytesWin)
{
    std::string text = hexRecord(0x7001, 0, {0x08}) + "\r\n" + hexRecord(0x0000, 0, {0x11, 0x22, 0x33}) + "\r\n" +
                       hexRecord(0x7000, 0, {0x01}) + "\r\n" + hexRecord(0x0001, 0, {0x99}) + "\r\n" + E;
    ParseResult result = parseText(text);
    ASSERT_TRUE(result.ok()) << result.error;
    std::vector<unsigned short> expected = imageWith(FULL_IMAGE, 0, "\x11\x99\x33");
    expected[0x7000] = 0x01;
    expected[0x7001] = 0x08;
    EXPECT_EQ(-1, firstDifference(expected, result.cells));
}

TEST(FirmwareHexParseTest, ImageEdgesAndEmptyRecordsAreAccepted)
{
    // 16 bytes at 0x7FF0 end in the last cell; a count of 0 stores nothing, wherever it points.
    std::string text = hexRecord(0x7FF0, 0, run(0xA0, 16)) + hexRecord(0x9000, 0, {}) + E;
    ParseResult result = parseText(text);
    ASSERT_TRUE(result.ok()) << result.error;
    std::vector<unsigned short> expected(FULL_IMAGE, EMPTY);
    for (unsigned int i = 0; i < 16; i++)
        expected[0x7FF0 + i] = static_cast<unsigned short>(0xA0 + i);
    EXPECT_EQ(-1, firstDifference(expected, result.cells));

    result = parseText(hexRecord(0xFFF0, 0, run(0, 15)) + E, 65535);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(0x0E, result.cells[0xFFFE]);
    EXPECT_EQ(EMPTY, result.cells[0x0000]);
}

TEST(FirmwareHexParseTest, EndRecordDataIsStored)
{
    ParseResult result = parseText(hexRecord(0x0200, 1, {0x5A, 0xA5}) + hexRecord(0x0300, 0, {1}));
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(-1, firstDifference(imageWith(FULL_IMAGE, 0x0200, "\x5A\xA5"), result.cells));
}

TEST(FirmwareHexParseTest, EveryParseStartsAfreshWithAnImageOfItsOwn)
{
    std::string good = hexRecord(0x20, 0, {7}) + E;
    IntelHexData hex(good.data(), static_cast<unsigned int>(good.size()));
    unsigned short* first = hex.parse(FULL_IMAGE);
    unsigned short* second = hex.parse(FULL_IMAGE);
    ASSERT_NE(first, second);
    first[0x20] = 0x55;
    EXPECT_EQ(7, second[0x20]);
    delete[] first;
    delete[] second;
    // A failure leaves the object as it was: the same text fails again in the same way...
    std::string bad = hexRecord(0x20, 0, {7}) + "\r\n:0100";
    IntelHexData broken(bad.data(), static_cast<unsigned int>(bad.size()));
    EXPECT_EQ(END_OF_DATA, parseHex(broken, FULL_IMAGE).error);
    EXPECT_EQ(END_OF_DATA, parseHex(broken, FULL_IMAGE).error);
    // ...and a failure that depends on the cell count does not stick to a later, larger image.
    std::string high = hexRecord(0x0100, 0, {9}) + E;
    IntelHexData narrow(high.data(), static_cast<unsigned int>(high.size()));
    EXPECT_EQ(BAD_ADDRESS, parseHex(narrow, 0x0100).error);
    ParseResult wide = parseHex(narrow, 0x0101);
    ASSERT_TRUE(wide.ok()) << wide.error;
    EXPECT_EQ(9, wide.cells[0x0100]);
}
}
