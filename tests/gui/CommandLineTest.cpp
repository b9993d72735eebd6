#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CommandLine.h"
#include "ProgramSettings.h"

namespace {

struct Row
{
    std::string commandLine;
    bool serviceMode;
    std::string path;
};

void resetSettings()
{
    ProgramSettings::serviceMode = false;
    std::memset(ProgramSettings::firmwareFilePath, 0, sizeof(ProgramSettings::firmwareFilePath));
}

}

TEST(CommandLineParserTest, EveryRowOfTheTable)
{
    std::string path260(260, 'p');
    path260[0] = 'C';
    path260[259] = 'x';
    Row const rows[] = {
        {"", false, ""},
        {"-", false, ""},
        {"s", false, ""},
        {"-S", false, ""},
        {"-Sfoo.hex", false, ""},
        {"/s", false, ""},
        {"x -s", false, ""},
        {" -s", false, ""},
        {"--s", false, ""},
        {"-s", true, ""},
        {"-sx", true, "x"},
        {"-sC:\\firmware\\update.hex", true, "C:\\firmware\\update.hex"},
        // Nothing is trimmed or unquoted: a blank after -s starts the path.
        {"-s C:\\a.hex", true, " C:\\a.hex"},
        {"-s\"C:\\a b.hex\"", true, "\"C:\\a b.hex\""},
        {"-s ", true, " "},
        {"-s" + path260, true, path260},
        {"-s" + path260 + "y", true, ""},
        {"-s" + std::string(1000, 'z'), true, ""},
        {"-sGer\xe4t.hex", true, "Ger\xe4t.hex"},
    };
    for (Row const& row : rows) {
        resetSettings();
        parseCommandLine(row.commandLine.c_str());
        EXPECT_EQ(row.serviceMode, ProgramSettings::serviceMode) << "[" << row.commandLine << "]";
        EXPECT_EQ(row.path, std::string(ProgramSettings::firmwareFilePath))
            << "[" << row.commandLine.substr(0, 40) << "]";
    }
}

TEST(CommandLineParserTest, PathFillsTheBufferExactlyAndTooLongLeavesItUntouched)
{
    resetSettings();
    std::memset(ProgramSettings::firmwareFilePath, '#', sizeof(ProgramSettings::firmwareFilePath));
    std::string path260(260, 'a');
    parseCommandLine(("-s" + path260).c_str());
    EXPECT_EQ(0, std::memcmp(ProgramSettings::firmwareFilePath, path260.c_str(), 261));

    resetSettings();
    parseCommandLine(("-s" + std::string(261, 'b')).c_str());
    EXPECT_TRUE(ProgramSettings::serviceMode);
    for (char c : ProgramSettings::firmwareFilePath)
        ASSERT_EQ('\0', c);

    resetSettings();
    parseCommandLine(nullptr);
    EXPECT_FALSE(ProgramSettings::serviceMode);
}
