#include <gtest/gtest.h>

#include "CompressedFile.h"
#include "ErrorText.h"
#include "TestFiles.h"
#include "Win32Exception.h"
#include "Win32File.h"

namespace
{

struct Win32FileTest : testing::Test
{
    std::string path = scratchPath("Win32FileTest");
    String name = path.c_str();
    void SetUp() override { DeleteFileA(path.c_str()); }
    void TearDown() override { DeleteFileA(path.c_str()); }
};

}

TEST_F(Win32FileTest, ModusSelectsTheDispositionAndFailuresNameTheFile)
{
    struct Row
    {
        unsigned int modus;
        bool existed;
        DWORD error;
        long sizeAfter; /* -1: no file */
    } const rows[] = {
        {1, true, ERROR_FILE_EXISTS, 10},
        {1, false, 0, 0},
        {2, true, 0, 0},
        {2, false, 0, 0},
        {3, true, 0, 10},
        {3, false, ERROR_FILE_NOT_FOUND, -1},
        {4, true, 0, 10},
        {4, false, 0, 0},
        {5, true, 0, 0},
        {5, false, ERROR_FILE_NOT_FOUND, -1},
        {0, true, ERROR_INVALID_PARAMETER, 10},
        {6, false, ERROR_INVALID_PARAMETER, -1},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE("Modus " + std::to_string(row.modus) +
                     (row.existed ? ", file exists" : ", no file"));
        DeleteFileA(path.c_str());
        if (row.existed)
            writeWholeFile(path, "0123456789");
        try {
            Win32File file(name, row.modus);
            EXPECT_EQ(0u, row.error) << "opened";
            EXPECT_EQ(static_cast<unsigned long>(row.sizeAfter), file.getSize());
        } catch (Win32Exception& e) {
            EXPECT_EQ(errorMessage("Fehler beim Öffnen der Datei: " + path + ".", row.error),
                      e.what());
        }
        if (row.sizeAfter < 0)
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
        else
            EXPECT_EQ(static_cast<size_t>(row.sizeAfter), readWholeFile(path).size());
    }
}

TEST_F(Win32FileTest, ShareAndAccessArgumentsDecideWhoElseMayOpen)
{
    writeWholeFile(path, "abc");
    {
        Win32File exclusive(name, 3, 0);
        EXPECT_THROW(Win32File(name, 3, FILE_SHARE_READ | FILE_SHARE_WRITE, false), Win32Exception);
    }
    Win32File writer(name, 3, FILE_SHARE_READ, true);
    Win32File reader(name, 3, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     false); // it must itself allow the writer
    EXPECT_THROW(Win32File(name, 3, FILE_SHARE_READ | FILE_SHARE_WRITE, true), Win32Exception);
    char c = 'x';
    EXPECT_EQ(0ul, reader.write(&c, 1)) << "read-only handle wrote";
}

TEST_F(Win32FileTest, WritesAfterGoToEndCopiesShareThePositionReadsStopAtTheEnd)
{
    writeWholeFile(path, "abc");
    {
        Win32File* original = new Win32File(name, 4, FILE_SHARE_READ | FILE_SHARE_WRITE);
        Win32File copy(*original), assigned(name, 3, FILE_SHARE_READ | FILE_SHARE_WRITE);
        assigned = copy;
        delete original; // the copies hold handles of their own
        copy.goToEnd();
        EXPECT_EQ(2ul, copy.write(String("de")));
        EXPECT_EQ(0ul, copy.write(String()));
        char f = 'f';
        EXPECT_EQ(1ul, assigned.write(&f, 1)); // one open file, one position
    }
    EXPECT_EQ("abcdef", readWholeFile(path));
    Win32File file(name, 3);
    char buffer[32];
    EXPECT_EQ(4ul, file.read(buffer, 4));
    EXPECT_EQ(2ul, file.read(buffer, sizeof buffer));
    EXPECT_EQ("ef", std::string(buffer, 2));
    EXPECT_EQ(0ul, file.read(buffer, sizeof buffer));
}

// KRX_LZ_PLAIN and KRX_LZ_PACKED name a text and its SZDD form, packed by mscompress at build time.
TEST(CompressedFileTest, ExpandsToTheOriginalBytesAndGetSizeKeepsThePosition)
{
    std::string original = readWholeFile(KRX_LZ_PLAIN);
    ASSERT_GT(original.size(), 8192u) << "the sample must outgrow the 4 KiB window";
    ASSERT_NE(original.size(), readWholeFile(KRX_LZ_PACKED).size()) << "the sample is not packed";
    for (char const* name : {KRX_LZ_PACKED, KRX_LZ_PLAIN}) { // an unpacked file reads as it is
        CompressedFile file(String(name), 3, 1);
        std::string content, buffer(1000, '\0');
        unsigned long n = file.read(&buffer[0], 100);
        EXPECT_EQ(original.size(), file.getSize()) << name;
        for (; n > 0; n = file.read(&buffer[0], 1000))
            content.append(buffer, 0, n);
        EXPECT_EQ(original, content) << name;
    }
}

TEST(CompressedFileTest, MissingFileThrowsExceptionWithoutSystemText)
{
    // LZ32 also tries the packed name (last character '_'), so neither may exist.
    std::string path = scratchPath("CompressedFileTest");
    DeleteFileA(path.c_str());
    DeleteFileA((path.substr(0, path.size() - 1) + "_").c_str());
    try {
        CompressedFile file(String(path.c_str()), 3);
        FAIL() << "a missing file opened";
    } catch (Exception& e) {
        EXPECT_TRUE(typeid(e) == typeid(Exception)) << "thrown as " << typeid(e).name();
        EXPECT_EQ("Fehler beim Öffnen der Datei: " + path + ".", std::string(e.what()));
    }
}
