#include "TerminalFormat.h"

#include <string>

std::vector<String> TerminalFormat::lines(unsigned char const* bytes, unsigned int count, bool sent,
                                          bool hex)
{
    static const char DIGITS[] = "0123456789abcdef";
    // Built in one buffer: String allocates anew on every append.
    std::string text(1, sent ? '>' : '<');
    text.reserve(1 + 3 * count);
    for (unsigned int i = 0; i < count; ++i) {
        unsigned char b = bytes[i];
        if (hex) {
            text += DIGITS[b >> 4];
            text += DIGITS[b & 15];
            text += ' ';
        } else {
            text += b >= 0x20 && b <= 0x7E ? (char)b : ' ';
        }
    }
    std::vector<String> result;
    for (size_t at = 0; at < text.size(); at += LINE_CHARS)
        result.push_back(String(text.substr(at, LINE_CHARS).c_str()));
    return result;
}
