#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CommandLine.h"
#include "ProgramSettings.h"

TEST(CommandLineParserTest, EveryRowOfTheTable)
{
    // The path buffer starts filled and unterminated, so any write and a missing NUL show.
    auto& path = ProgramSettings::firmwareFilePath;
    std::string const untouched(sizeof(path), '#');
    std::string const p260 = "C" + std::string(258, 'p') + "x";
    struct
    {
        std::string commandLine;
        bool serviceMode;
        std::string path;
    } const rows[] = {
        {"", false, untouched},
        {"-S", false, untouched},
        {"/s", false, untouched},
        {"x -s", false, untouched},
        {"-s", true, untouched},
        {"-sx", true, "x"},
        {"-s" + p260, true, p260},
        {"-s" + p260 + "y", true, untouched},
        // Nothing is trimmed or unquoted: a blank after -s starts the path.
        {"-s C:\\a.hex", true, " C:\\a.hex"},
        {"-s\"C:\\a b.hex\"", true, "\"C:\\a b.hex\""},
    };
    for (auto const& row : rows) {
        ProgramSettings::serviceMode = false;
        std::memset(path, '#', sizeof(path));
        parseCommandLine(row.commandLine.c_str());
        EXPECT_EQ(row.serviceMode, ProgramSettings::serviceMode) << "[" << row.commandLine << "]";
        EXPECT_EQ(row.path, std::string(path, strnlen(path, sizeof(path))))
            << "[" << row.commandLine.substr(0, 40) << "]";
    }
}
