#ifndef FLASHOPTIONS_H
#define FLASHOPTIONS_H

#include <string>

// The command line of vlxflash. parse() fills the fields, or returns false with the reason in
// `error` for a wrong command line.
struct FlashOptions
{
    enum Command
    {
        HELP,
        LIST,
        UPDATE
    };

    Command command = HELP;
    unsigned int station = 0; // 1 to 255; 0 for "all"
    std::string file;         // empty: the built-in image
    bool testMode = false;
    bool force = false;
    bool json = false;
    std::string error;

    bool parse(int argc, char** argv);
};

#endif
