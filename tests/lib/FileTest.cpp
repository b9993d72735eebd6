#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "TestFiles.h"
#include "Win32Exception.h"
#include "Win32File.h"

namespace {

struct Win32FileTest : testing::Test {
    std::string path = scratchPath("Win32FileTest");
    String name = path.c_str();
    void SetUp() override { DeleteFileA(path.c_str()); }
    void TearDown() override { DeleteFileA(path.c_str()); }
};

}

TEST_F(Win32FileTest, ModusSelectsTheDisposition)
{
    // -1: the file does not exist afterwards.
    struct Row { unsigned int modus; bool existed; bool opens; long sizeAfter; };
    Row const rows[] = {
        {1, true, false, 10}, {1, false, true, 0},  {2, true, true, 0},    {2, false, true, 0},
        {3, true, true, 10},  {3, false, false, -1}, {4, true, true, 10},  {4, false, true, 0},
        {5, true, true, 0},   {5, false, false, -1}, {0, true, false, 10}, {0, false, false, -1},
        {6, true, false, 10}, {6, false, false, -1},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE("Modus " + std::to_string(row.modus) + (row.existed ? ", file exists" : ", no file"));
        DeleteFileA(path.c_str());
        if (row.existed)
            writeWholeFile(path, "0123456789");
        bool opened = false;
        try {
            Win32File file(name, row.modus);
            opened = true;
            EXPECT_EQ(static_cast<unsigned long>(row.sizeAfter), file.getSize());
        } catch (Win32Exception& e) {
            EXPECT_EQ(0u, std::string(e.what()).find("Fehler beim Öffnen der Datei: " + path + ".\n")) << e.what();
            EXPECT_NE(0u, e.getCode());
        }
        EXPECT_EQ(row.opens, opened);
        if (row.sizeAfter < 0)
            EXPECT_FALSE(fileExists(path));
        else
            EXPECT_EQ(static_cast<size_t>(row.sizeAfter), readWholeFile(path).size());
    }
}

TEST_F(Win32FileTest, OpenFailureGivesNameAndSystemText)
{
    try {
        Win32File file(name, 3);
        FAIL() << "a missing file opened";
    } catch (Win32Exception& e) {
        EXPECT_EQ(2u, e.getCode());
        EXPECT_EQ("Fehler beim Öffnen der Datei: " + path + ".\n" + systemErrorText(2) + "(Fehlercode: 2)",
                  std::string(e.what()));
    }
}

TEST_F(Win32FileTest, ShareArgumentDecidesWhoElseMayOpen)
{
    writeWholeFile(path, "abc");
    {
        Win32File exclusive(name, 3, 0);
        EXPECT_THROW(Win32File(name, 3, FILE_SHARE_READ | FILE_SHARE_WRITE, false), Win32Exception);
    }
    Win32File writer(name, 3, FILE_SHARE_READ, true);
    // A reader is let in (it must itself allow the writer), a second writer is not.
    Win32File reader(name, 3, FILE_SHARE_READ | FILE_SHARE_WRITE, false);
    try {
        Win32File second(name, 3, FILE_SHARE_READ | FILE_SHARE_WRITE, true);
        ADD_FAILURE() << "a second writer got in";
    } catch (Win32Exception& e) {
        EXPECT_EQ(static_cast<unsigned long>(ERROR_SHARING_VIOLATION), e.getCode());
    }
    char c = 'x';
    EXPECT_EQ(0ul, reader.write(&c, 1)) << "read-only handle wrote";
}

TEST_F(Win32FileTest, ReadStopsAtTheEnd)
{
    writeWholeFile(path, "0123456789");
    Win32File file(name, 3);
    char buffer[32] = {};
    EXPECT_EQ(4ul, file.read(buffer, 4));
    EXPECT_EQ(6ul, file.read(buffer, sizeof buffer));
    EXPECT_EQ("456789", std::string(buffer, 6));
    EXPECT_EQ(0ul, file.read(buffer, sizeof buffer));
}

TEST_F(Win32FileTest, WritesTextWithoutNulAndAppendsAfterGoToEnd)
{
    {
        Win32File file(name, 2);
        EXPECT_EQ(3ul, file.write(String("abc")));
        EXPECT_EQ(0ul, file.write(String()));
        file.flush();
        EXPECT_EQ(3ul, file.getSize());
    }
    {
        Win32File file(name, 4);
        file.goToEnd();
        EXPECT_EQ(2ul, file.write(String("de")));
        char f = 'f';
        EXPECT_EQ(1ul, file.write(&f, 1));
    }
    EXPECT_EQ("abcdef", readWholeFile(path));
}

TEST_F(Win32FileTest, CopyOutlivesTheOriginal)
{
    Win32File* original = new Win32File(name, 2, FILE_SHARE_READ | FILE_SHARE_WRITE);
    Win32File copy(*original);
    Win32File assigned(name, 3, FILE_SHARE_READ | FILE_SHARE_WRITE);
    assigned = copy;
    delete original;
    EXPECT_EQ(2ul, copy.write(String("xy")));
    EXPECT_EQ(1ul, assigned.write(String("z")));  // one open file, one position
    copy.flush();
    EXPECT_EQ("xyz", readWholeFile(path));
}
