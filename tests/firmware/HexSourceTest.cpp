#include <gtest/gtest.h>

#include "HexTestUtil.h"
#include "TestFiles.h"
#include "Win32Exception.h"

namespace
{
unsigned int hexValue(std::string const& s, size_t at)
{
    return static_cast<unsigned int>(std::stoul(s.substr(at, 2), nullptr, 16));
}

TEST(FirmwareBuiltInImageTest, ShapedLikeTheDeviceFirmwareAndReadFromItsResource)
{
    std::string text = builtInText();
    ASSERT_EQ(21024u, text.size());
    unsigned int records = 0, recordBytes = 0, descents = 0, previous = 0;
    size_t at = 0;
    for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2, records++)
    {
        std::string r = text.substr(at, end - at);
        unsigned int count = hexValue(r, 1), address = hexValue(r, 3) << 8 | hexValue(r, 5);
        ASSERT_TRUE(r[0] == ':' && count <= 16 && r.size() == 11 + 2 * count && hexValue(r, 7) == 0) << r;
        descents += address < previous;
        previous = address;
        recordBytes += count;
    }
    EXPECT_EQ(END_RECORD, text.substr(at)) << "the end record comes last, without a line end";
    EXPECT_EQ(475u, records);
    EXPECT_GT(descents, 0u) << "the records are not in strict address order";

    IntelHexData hex(GetModuleHandleA(nullptr), IDR_FIRMWARE);
    ParseResult result = parseHex(hex);
    ASSERT_TRUE(result.ok()) << result.error;
    Cells const& c = result.cells;
    auto present = [&](unsigned int from, unsigned int to) {
        return std::count_if(c.begin() + from, c.begin() + to + 1, [](unsigned short v) { return v < 0x100; });
    };
    EXPECT_EQ(1, c[0x7000]);
    EXPECT_EQ(8, c[0x7001]);
    EXPECT_EQ(3, present(0x7FFD, 0x7FFF));
    EXPECT_GT(present(0x0000, 0x6FFF), 4000);
    EXPECT_GT(present(0x7000, 0x7FFC), 1000);
    // No record overlaps another, so every byte of the text is one cell of the image.
    EXPECT_EQ(static_cast<long>(recordBytes), present(0x0000, 0x7FFF));

    IntelHexData missing(GetModuleHandleA(nullptr), 4711);
    EXPECT_EQ("Unerwartetes Datenende.", parseHex(missing).error);
}

TEST(FirmwareHexFileTest, ReadsTheWholeFileAloneIntoACopyOfItsOwn)
{
    std::string path = scratchPath("fwhex");
    auto openFailure = [&]() -> DWORD {
        try
        {
            IntelHexData hex{String(path.c_str())};
        }
        catch (Win32Exception& e)
        {
            return e.getCode();
        }
        return 0;
    };
    DeleteFileA(path.c_str());
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), openFailure());

    writeWholeFile(path, hexRecord(0x7000, 0, "\1\x09") + "\r\n" + END_RECORD + "\r\n");
    // Another holder that allows everything still keeps an exclusive reader out.
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), openFailure());
    CloseHandle(holder);

    // A read-only file that nobody holds is read, closed again, and later changes are not seen.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    IntelHexData hex{String(path.c_str())};
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    writeWholeFile(path, "broken");
    EXPECT_TRUE(DeleteFileA(path.c_str())) << GetLastError();
    ParseResult result = parseHex(hex);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(-1, firstDifference(imageWith(0x7000, "\1\x09"), result.cells));
}
}
