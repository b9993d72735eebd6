#include <gtest/gtest.h>

#include <string>

#include "CompressedFile.h"
#include "TestFiles.h"
#include "Win32Exception.h"

// KRX_LZ_PLAIN and KRX_LZ_PACKED name a text and its SZDD form, packed by mscompress at build time.

namespace {

std::string readAll(File& file, unsigned long chunk)
{
    std::string content;
    std::string buffer(chunk, '\0');
    unsigned long n;
    while ((n = file.read(&buffer[0], chunk)) > 0)
        content.append(buffer, 0, n);
    return content;
}

}

TEST(CompressedFileTest, ExpandsToTheOriginalBytes)
{
    std::string original = readWholeFile(KRX_LZ_PLAIN);
    ASSERT_GT(original.size(), 8192u) << "the sample must outgrow the 4 KiB window";
    ASSERT_NE(original.size(), readWholeFile(KRX_LZ_PACKED).size()) << "the sample is not packed";

    CompressedFile packed(String(KRX_LZ_PACKED), 3, 1);
    EXPECT_EQ(original.size(), packed.getSize());
    EXPECT_EQ(original, readAll(packed, 1000));

    // An unpacked file reads as it is.
    CompressedFile plain(String(KRX_LZ_PLAIN), 3);
    EXPECT_EQ(original, readAll(plain, 4096));
}

TEST(CompressedFileTest, GetSizeKeepsTheReadPosition)
{
    std::string original = readWholeFile(KRX_LZ_PLAIN);
    CompressedFile file(String(KRX_LZ_PACKED), 3);
    char buffer[100];
    ASSERT_EQ(100ul, file.read(buffer, 100));
    EXPECT_EQ(original.size(), file.getSize());
    ASSERT_EQ(100ul, file.read(buffer, 100));
    EXPECT_EQ(original.substr(100, 100), std::string(buffer, 100));
}

TEST(CompressedFileTest, MissingFileThrowsExceptionWithoutSystemText)
{
    // LZ32 also tries the packed name (last character '_'), so neither may exist.
    std::string path = scratchPath("CompressedFileTest");
    std::string packedName = path.substr(0, path.size() - 1) + "_";
    DeleteFileA(path.c_str());
    DeleteFileA(packedName.c_str());
    try {
        CompressedFile file(String(path.c_str()), 3);
        FAIL() << "a missing file opened";
    } catch (Win32Exception& e) {
        FAIL() << "Win32Exception: " << e.what();
    } catch (Exception& e) {
        EXPECT_EQ("Fehler beim Öffnen der Datei: " + path + ".", std::string(e.what()));
    }
}
