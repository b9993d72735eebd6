#ifndef COMMANDLINE_H
#define COMMANDLINE_H

// Reads the command line (without the program's name) into ProgramSettings: "-s" at the very
// start turns service mode on, and up to 260 characters directly after it are the firmware
// file path, taken literally. Anything else leaves both settings as they are.
void parseCommandLine(char const* commandLine);

#endif
