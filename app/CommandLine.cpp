#include "CommandLine.h"

#include <cstring>

#include "ProgramSettings.h"

void parseCommandLine(char const* commandLine)
{
    if (commandLine == nullptr)
        return;
    size_t length = std::strlen(commandLine);
    if (length < 2 || commandLine[0] != '-' || commandLine[1] != 's')
        return;
    ProgramSettings::serviceMode = true;
    if (length < 3)
        return;
    // A longer path would not fit; it is dropped rather than cut.
    if (length - 2 > sizeof(ProgramSettings::firmwareFilePath) - 1)
        return;
    std::memcpy(ProgramSettings::firmwareFilePath, commandLine + 2, length - 2 + 1);
}
