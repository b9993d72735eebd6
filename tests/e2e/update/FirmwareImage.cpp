#include "FirmwareImage.h"

#include <stdio.h>

namespace
{
std::string record(unsigned address, unsigned type, std::vector<unsigned char> const& data)
{
    std::vector<unsigned> bytes = {(unsigned)data.size(), (address >> 8) & 0xFF, address & 0xFF, type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (unsigned b : bytes)
        sum += b;
    bytes.push_back((0x100 - (sum & 0xFF)) & 0xFF);
    std::string line = ":";
    char digits[3];
    for (unsigned b : bytes) {
        snprintf(digits, sizeof digits, "%02X", b);
        line += digits;
    }
    return line + "\r\n";
}
}

std::string makeIntelHex(std::map<unsigned, unsigned char> const& bytes)
{
    std::string text;
    std::vector<unsigned char> data;
    unsigned start = 0;
    for (auto const& cell : bytes) {
        if (!data.empty() && (cell.first != start + data.size() || data.size() == 16)) {
            text += record(start, 0, data);
            data.clear();
        }
        if (data.empty())
            start = cell.first;
        data.push_back(cell.second);
    }
    if (!data.empty())
        text += record(start, 0, data);
    return text + record(0, 1, {});
}

Payload command(unsigned char code, unsigned char flags)
{
    return Payload{code, 0x00, 0x00, flags};
}
