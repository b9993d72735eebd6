#include <gtest/gtest.h>

#include <algorithm>

#include "HexTestUtil.h"
#include "TestFiles.h"
#include "Win32Exception.h"
#include "resource.h"

namespace
{
// The built-in text exactly as the program carries it, read past the class under test.
std::string builtInText()
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(IDR_FIRMWARE), "INTELHEX");
    if (!resource)
        return std::string();
    char const* bytes = static_cast<char const*>(LockResource(LoadResource(module, resource)));
    return std::string(bytes, SizeofResource(module, resource));
}

std::vector<std::string> lines(std::string const& text)
{
    std::vector<std::string> result;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        result.push_back(text.substr(start, end - start));
    result.push_back(text.substr(start));
    return result;
}

unsigned int hexValue(std::string const& s, size_t at, size_t digits)
{
    return static_cast<unsigned int>(std::stoul(s.substr(at, digits), nullptr, 16));
}

TEST(FirmwareBuiltInImageTest, TextIsShapedLikeTheDeviceFirmware)
{
    std::string text = builtInText();
    ASSERT_EQ(21024u, text.size());
    std::vector<std::string> records = lines(text);
    ASSERT_EQ(476u, records.size());
    EXPECT_EQ(endRecord(), records.back()) << "the end record comes last, without a line end";
    unsigned int previous = 0, descents = 0;
    for (size_t i = 0; i + 1 < records.size(); i++)
    {
        std::string const& r = records[i];
        ASSERT_EQ(':', r[0]) << "record " << i;
        unsigned int count = hexValue(r, 1, 2);
        EXPECT_LE(count, 16u) << "record " << i;
        EXPECT_EQ(11 + 2 * count, r.size()) << "record " << i << " (lines end in CR LF only)";
        EXPECT_EQ(0u, hexValue(r, 7, 2)) << "record " << i << " is a data record";
        unsigned int address = hexValue(r, 3, 4);
        if (i > 0 && address < previous)
            descents++;
        previous = address;
    }
    EXPECT_GT(descents, 0u) << "the records are not in strict address order";
}

TEST(FirmwareBuiltInImageTest, ParsesToBothPartsWithVersion108)
{
    std::string text = builtInText();
    unsigned int recordBytes = 0;
    for (std::string const& r : lines(text))
        recordBytes += hexValue(r, 1, 2);

    IntelHexData hex(GetModuleHandleA(nullptr), IDR_FIRMWARE);
    ParseResult result = parseHex(hex, FULL_IMAGE);
    ASSERT_TRUE(result.ok()) << result.error;
    std::vector<unsigned short> const& c = result.cells;
    EXPECT_EQ(1, c[0x7000]);
    EXPECT_EQ(8, c[0x7001]);
    for (unsigned int a = 0x7FFD; a <= 0x7FFF; a++)
        EXPECT_LT(c[a], 0x100) << std::hex << a;
    auto present = [&](unsigned int from, unsigned int to) {
        return std::count_if(c.begin() + from, c.begin() + to + 1, [](unsigned short v) { return v < 0x100; });
    };
    EXPECT_GT(present(0x0000, 0x6FFF), 4000);
    EXPECT_GT(present(0x7000, 0x7FFC), 1000);
    // No record overlaps another, so every byte of the text is one cell of the image.
    EXPECT_EQ(static_cast<long>(recordBytes), present(0x0000, 0x7FFF));
    EXPECT_EQ(0, std::count_if(c.begin(), c.end(), [](unsigned short v) { return v >= 0x100 && v != EMPTY; }));
}

TEST(FirmwareBuiltInImageTest, MissingResourceGivesAnEmptyText)
{
    IntelHexData hex(GetModuleHandleA(nullptr), 4711);
    EXPECT_EQ("Unerwartetes Datenende.", parseHex(hex, FULL_IMAGE).error);
}

class FirmwareHexFileTest : public testing::Test
{
protected:
    void TearDown() override { DeleteFileA(path.c_str()); }

    std::string path = scratchPath("fwhex");
};

TEST_F(FirmwareHexFileTest, HoldsItsOwnCopyOfTheWholeFile)
{
    std::string text = hexRecord(0x7000, 0, {1, 9}) + "\r\n" + endRecord() + "\r\n";
    writeWholeFile(path, text);
    IntelHexData hex{String(path.c_str())};
    // The file is closed again, and later changes are not seen.
    writeWholeFile(path, "broken");
    ASSERT_TRUE(DeleteFileA(path.c_str())) << GetLastError();
    ParseResult result = parseHex(hex, FULL_IMAGE);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(-1, firstDifference(imageWith(FULL_IMAGE, 0x7000, "\x01\x09"), result.cells));
}

TEST_F(FirmwareHexFileTest, MissingFileThrowsTheOpenFailure)
{
    try
    {
        IntelHexData hex{String(path.c_str())};
        FAIL() << "a missing file was opened";
    }
    catch (Win32Exception& e)
    {
        EXPECT_EQ(2u, e.getCode());
        std::string message = e.what();
        std::string head = "Fehler beim Öffnen der Datei: " + path + ".";
        EXPECT_EQ(head, message.substr(0, head.size()));
    }
}

TEST_F(FirmwareHexFileTest, OpensWithoutSharing)
{
    writeWholeFile(path, endRecord());
    // Another holder that allows everything still keeps an exclusive reader out.
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    DWORD code = 0;
    try
    {
        IntelHexData hex{String(path.c_str())};
    }
    catch (Win32Exception& e)
    {
        code = e.getCode();
    }
    CloseHandle(holder);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), code);
    // A file that nobody holds is read, even if it is read-only.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    IntelHexData hex{String(path.c_str())};
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(parseHex(hex, FULL_IMAGE).ok());
}
}
