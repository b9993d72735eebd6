#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Logger.h"
#include "TestFiles.h"
#include "Win32Exception.h"

namespace {

struct LoggerTest : testing::Test {
    std::string name = "LoggerTest_" + std::to_string(GetCurrentProcessId());
    std::string path = "c:\\" + name + ".log";
    void SetUp() override { DeleteFileA(path.c_str()); }
    void TearDown() override { DeleteFileA(path.c_str()); }
};

std::string now()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[32];
    snprintf(text, sizeof text, "%04d.%02d.%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    return text;
}

// "YYYY.MM.DD hh:mm:ss mmm " with digits where the pattern has letters; the fixed widths make
// the stamp's first 19 characters comparable as text.
bool isStamp(std::string const& s)
{
    std::string const pattern = "0000.00.00 00:00:00 000 ";
    if (s.size() != pattern.size())
        return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (pattern[i] == '0' ? (s[i] < '0' || s[i] > '9') : s[i] != pattern[i])
            return false;
    return true;
}

// The file's lines, each of which must end with CR LF.
std::vector<std::string> lines(std::string const& content)
{
    std::vector<std::string> out;
    size_t start = 0, end;
    while ((end = content.find("\r\n", start)) != std::string::npos) {
        out.push_back(content.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(content.size(), start) << "text after the last line end";
    return out;
}

}

TEST_F(LoggerTest, WritesStampedLinesToTheRootOfC)
{
    std::string before = now();
    Logger logger(String(name.c_str()));
    logger.log("Firmwareupdate gestartet");
    logger.log("");
    logger.log("zwei\nZeilen");
    std::string after = now();

    // Read while the logger still holds the file: it is flushed and others may read it.
    std::vector<std::string> got = lines(readWholeFile(path));
    std::vector<std::string> texts = {"Firmwareupdate gestartet", "", "zwei\nZeilen"};
    ASSERT_EQ(texts.size(), got.size()) << readWholeFile(path);
    for (size_t i = 0; i < got.size(); ++i) {
        std::string stamp = got[i].substr(0, 24);
        EXPECT_TRUE(isStamp(stamp)) << got[i];
        EXPECT_LE(before, stamp.substr(0, 19));
        EXPECT_GE(after, stamp.substr(0, 19));
        EXPECT_EQ(texts[i], got[i].substr(24));
    }
}

TEST_F(LoggerTest, SecondLoggerOfTheSameNameThrows)
{
    Logger first(String(name.c_str()));
    try {
        Logger second(String(name.c_str()));
        FAIL() << "the log file was opened twice for writing";
    } catch (Win32Exception& e) {
        EXPECT_EQ(static_cast<unsigned long>(ERROR_SHARING_VIOLATION), e.getCode());
        EXPECT_EQ(0u, std::string(e.what()).find("Fehler beim Öffnen der Datei: " + path + ".\n")) << e.what();
    }
}

TEST_F(LoggerTest, NewLoggerAppends)
{
    {
        Logger logger(String(name.c_str()));
        logger.log("eins");
    }
    {
        Logger logger(String(name.c_str()));
        logger.log("zwei");
    }
    std::vector<std::string> got = lines(readWholeFile(path));
    ASSERT_EQ(2u, got.size());
    EXPECT_EQ("eins", got[0].substr(24));
    EXPECT_EQ("zwei", got[1].substr(24));
}
