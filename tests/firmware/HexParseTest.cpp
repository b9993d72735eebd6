#include <gtest/gtest.h>

#include "HexTestUtil.h"

namespace
{
char const END_OF_DATA[] = "Unerwartetes Datenende.";
char const BAD_CHARACTER[] = "Ungültiges Zeichen gefunden.";
char const BAD_TYPE[] = "Ungültiger Recordtyp.";
char const BAD_ADDRESS[] = "Daten in ungültigen Adressraum.";
char const BAD_CHECKSUM[] = "Ungültige Prüfsumme.";
std::string const E = END_RECORD;

TEST(FirmwareHexParseTest, TextsGiveTheirImageOrTheirMessage)
{
    struct
    {
        char const* name;
        std::string text, error;
        std::vector<std::pair<unsigned int, std::string>> bytes =
            {}; // of the image, when there is one
        unsigned short cellCount = FULL_IMAGE;
    } const cases[] = {
        {"no end record", hexRecord(0x10, 0, "\1\2") + "\r\n", END_OF_DATA},
        {"stops before checksum", ":0300300002337A", END_OF_DATA},
        {"blank inside record", ":03003000 02337A1E\r\n" + E, BAD_CHARACTER},
        {"colon inside record", ":0300:3000\r\n" + E, BAD_CHARACTER},
        // A data byte is read before its cell is checked, so a bad digit wins over a bad address.
        {"second byte at 7FFF not hex", ":027FFF0041GZ\r\n" + E, BAD_CHARACTER},
        {"first byte at 8000 not hex", ":01800000ZG\r\n" + E, BAD_CHARACTER},
        {"type 03, a start address", hexRecord(0, 3, std::string("\0\0\x23\x45", 4)) + E, BAD_TYPE},
        // The type is judged before any data byte is read, also for type 04 to address 0.
        {"type before data", ":02000004ZZZZ\r\n" + E, BAD_TYPE},
        {"17 bytes at 7FF0", hexRecord(0x7FF0, 0, std::string(17, 1)) + E, BAD_ADDRESS},
        // 65535 cells end at 0xFFFE; a record up to 0xFFFF must not wrap to cell 0.
        {"16 bytes at FFF0 of 65535",
         hexRecord(0xFFF0, 0, std::string(16, 1)) + E,
         BAD_ADDRESS,
         {},
         65535},
        // The address is checked with each data byte, before the checksum is read.
        {"address before checksum", ":0180000001FF\r\n" + E, BAD_ADDRESS},
        {"data checksum", ":0300300002337A1F\r\n" + E, BAD_CHECKSUM},
        {"end record checksum", ":00000001FE", BAD_CHECKSUM},

        {"end record alone", E, "", {}},
        {"lower case, LF", ":0300300002337a1e\n:00000001ff", "", {{0x30, "\x02\x33\x7A"}}},
        {"anything before a colon is skipped",
         "junk\t " + hexRecord(0x10, 0, "\1") + "x y\r\n\r\n" + hexRecord(0x11, 0, "\2") + "\n;" +
             E,
         "",
         {{0x10, "\1\2"}}},
        {"any order, later bytes win",
         hexRecord(0x7001, 0, "\x08") + hexRecord(0, 0, "\x11\x22\x33") +
             hexRecord(0x7000, 0, "\1") + hexRecord(1, 0, "\x99") + E,
         "",
         {{0, "\x11\x99\x33"}, {0x7000, "\x01\x08"}}},
        // 16 bytes at 0x7FF0 end in the last cell; a count of 0 stores nothing, wherever it points.
        {"last cells, empty record",
         hexRecord(0x7FF0, 0, std::string(16, '\xA5')) + hexRecord(0x9000, 0, "") + E,
         "",
         {{0x7FF0, std::string(16, '\xA5')}}},
        {"up to FFFE of 65535",
         hexRecord(0xFFF0, 0, std::string(15, '\x3C')) + E,
         "",
         {{0xFFF0, std::string(15, '\x3C')}},
         65535},
        // Text after the end record is never read, not even a whole record.
        {"end record with data",
         hexRecord(0x200, 1, "\x5A\xA5") + hexRecord(0x300, 0, "\1"),
         "",
         {{0x200, "\x5A\xA5"}}},
    };
    for (auto const& c : cases) {
        ParseResult result = parseText(c.text, c.cellCount);
        EXPECT_EQ(c.error, result.error) << c.name;
        Cells expected(result.ok() ? c.cellCount : 0, EMPTY);
        for (auto const& b : c.bytes)
            for (size_t i = 0; result.ok() && i < b.second.size(); i++)
                expected[b.first + i] = static_cast<unsigned char>(b.second[i]);
        EXPECT_TRUE(expected == result.cells) << c.name;
    }
}

// A failure leaves the object usable: the next parse starts afresh.
TEST(FirmwareHexParseTest, AParseAfterAFailureStartsAfresh)
{
    std::string text = hexRecord(0x0100, 0, "\x09") + E;
    IntelHexData hex(text.data(), static_cast<unsigned int>(text.size()));
    EXPECT_EQ(BAD_ADDRESS, parseHex(hex, 0x0100).error);
    EXPECT_EQ(imageWith(0x100, "\x09"), parseHex(hex).cells);
}
}
