// Intel HEX records written for tests, independently of the reader under test.
#ifndef HEXRECORD_H
#define HEXRECORD_H

#include <cstdio>
#include <string>

char const END_RECORD[] = ":00000001FF";

// One record with its correct checksum, upper-case digits, no line end.
inline std::string hexRecord(unsigned int address, unsigned int type, std::string const& bytes)
{
    std::string body = std::string{char(bytes.size()), char(address >> 8), char(address),
                                   char(type)} +
        bytes;
    unsigned char sum = 0;
    for (char b : body)
        sum = static_cast<unsigned char>(sum - b);
    body += static_cast<char>(sum);
    std::string text = ":";
    char pair[3];
    for (char b : body)
        snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(b)), text += pair;
    return text;
}

#endif
