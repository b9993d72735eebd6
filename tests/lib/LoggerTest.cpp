#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <vector>

#include "ErrorText.h"
#include "Logger.h"
#include "TestFiles.h"

// "YYYY.MM.DD hh:mm:ss": fixed widths, so stamps compare as text.
static std::string now()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[32];
    snprintf(text, sizeof text, "%04d.%02d.%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    return text;
}

// The texts of the lines "YYYY.MM.DD hh:mm:ss mmm <text>\r\n", each stamped between from and to.
static std::vector<std::string> texts(std::string const& content, std::string const& from,
                                      std::string const& to)
{
    std::regex const line("(\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d) \\d{3} ([^\\r]*)\\r\\n");
    std::vector<std::string> out;
    std::smatch m;
    auto at = content.cbegin();
    for (; std::regex_search(at, content.cend(), m, line, std::regex_constants::match_continuous);
         at = m[0].second) {
        EXPECT_LE(from, m.str(1));
        EXPECT_GE(to, m.str(1));
        out.push_back(m.str(2));
    }
    EXPECT_EQ(content.cend(), at) << "not a log line: " << std::string(at, content.cend());
    return out;
}

TEST(LoggerTest, WritesStampedLinesToTheRootOfCAppendsAndStaysAlone)
{
    String name = ("LoggerTest_" + std::to_string(GetCurrentProcessId())).c_str();
    std::string path = std::string("c:\\") + name.getChars() + ".log", from = now();
    DeleteFileA(path.c_str());
    {
        Logger logger(name);
        logger.log("Firmwareupdate gestartet");
    }
    {
        Logger logger(name);
        logger.log("zwei\nZeilen");
        unsigned long code = 0;
        thrownText([&] { Logger second(name); }, &code);
        EXPECT_EQ(static_cast<unsigned long>(ERROR_SHARING_VIOLATION), code) << "opened twice";
        // Read while the logger still holds the file: it is flushed and others may read it.
        EXPECT_EQ((std::vector<std::string>{"Firmwareupdate gestartet", "zwei\nZeilen"}),
                  texts(readWholeFile(path), from, now()));
    }
    DeleteFileA(path.c_str());
}
