#ifndef PROGRAMSETTINGS_H
#define PROGRAMSETTINGS_H

// The two program-wide settings taken from the command line at start-up and read by the pages.
class ProgramSettings
{
public:
    // "-s": adds the service tabs and the controls meant for testing.
    static bool serviceMode;
    // The firmware file named after "-s"; empty when none was given. MAX_PATH plus the NUL.
    static char firmwareFilePath[261];
};

#endif
