#ifndef TERMINALFORMAT_H
#define TERMINALFORMAT_H

#include <vector>

#include "String.h"

// How the terminal shows one transfer: ">" for a line sent, "<" for a block received, then the
// bytes as printable characters (anything else as a space) or as "%02x " pairs, cut from the
// front into list lines of at most LINE_CHARS characters, regardless of content.
class TerminalFormat
{
public:
    static const unsigned int LINE_CHARS = 48;

    static std::vector<String> lines(unsigned char const* bytes, unsigned int count, bool sent,
                                     bool hex);
};

#endif
