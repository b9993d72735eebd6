#include "FirmwareImage.h"

#include <ctype.h>
#include <stdio.h>

#include <sstream>

namespace
{
const unsigned CELLS = 0x8000;
const unsigned PAGE_SHIFT = 7;
const size_t MAX_BLOCK = 32;

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

int hexDigit(char c)
{
    return isdigit((unsigned char)c) ? c - '0' : isxdigit((unsigned char)c) ? tolower(c) - 'a' + 10 : -1;
}

bool isBlock(Payload const& p)
{
    return p.size() >= 4 && p[0] == 0x01;
}

bool isPageEnd(Payload const& p)
{
    return p == command(0x02);
}

std::string at(size_t index, std::string const& what)
{
    return "payload " + std::to_string(index) + ": " + what;
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

bool parseIntelHex(std::string const& text, Image& image, std::string& error)
{
    image.assign(CELLS, -1);
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        std::vector<unsigned> b;
        unsigned sum = 0;
        for (size_t i = 1; i + 1 < line.size(); i += 2) {
            if (hexDigit(line[i]) < 0 || hexDigit(line[i + 1]) < 0)
                break;
            b.push_back((unsigned)(hexDigit(line[i]) * 16 + hexDigit(line[i + 1])));
            sum += b.back();
        }
        if (line[0] != ':' || b.size() < 5 || b.size() != b[0] + 5u || line.size() != 2 * b.size() + 1
            || (sum & 0xFF) != 0) {
            error = "broken record: " + line;
            return false;
        }
        unsigned address = (b[1] << 8) | b[2];
        if (b[3] == 1)
            return true;
        if (b[3] != 0 || address + b[0] > CELLS) {
            error = "unexpected record: " + line;
            return false;
        }
        for (unsigned i = 0; i < b[0]; ++i)
            image[address + i] = (int)b[4 + i];
    }
    error = "no end record";
    return false;
}

Payload command(unsigned char code, unsigned char flags)
{
    return Payload{code, 0x00, 0x00, flags};
}

std::string hexText(Payload const& payload)
{
    std::string text;
    char digits[4];
    for (unsigned char b : payload) {
        snprintf(digits, sizeof digits, text.empty() ? "%02X" : " %02X", b);
        text += digits;
    }
    return text;
}

size_t partEnd(std::vector<Payload> const& payloads, size_t begin)
{
    size_t i = begin;
    while (i < payloads.size() && (isBlock(payloads[i]) || isPageEnd(payloads[i])))
        ++i;
    return i;
}

std::string checkPart(std::vector<Payload> const& payloads, size_t begin, size_t end,
                      Image const& image, unsigned low, unsigned high)
{
    std::vector<bool> sent(CELLS, false);
    bool pageOpen = false;
    unsigned page = 0;
    bool anyBlock = false;
    unsigned previousAddress = 0;
    size_t previousCount = 0;
    for (size_t i = begin; i < end; ++i) {
        Payload const& p = payloads[i];
        if (isPageEnd(p)) {
            if (!pageOpen)
                return at(i, "page end without a block before it");
            pageOpen = false;
            continue;
        }
        if (!isBlock(p))
            return at(i, "neither a block nor a page end: " + hexText(p));
        size_t n = p.size() - 3;
        unsigned address = p[1] | (p[2] << 8);
        unsigned top = address + (unsigned)n - 1;
        if (n > MAX_BLOCK)
            return at(i, "block of " + std::to_string(n) + " bytes");
        if (address < low || top > high)
            return at(i, "block " + std::to_string(address) + ".." + std::to_string(top)
                             + " outside the part");
        if ((address >> PAGE_SHIFT) != (top >> PAGE_SHIFT))
            return at(i, "block crosses a page");
        if (anyBlock && top >= previousAddress)
            return at(i, "block not below the one before it");
        unsigned blockPage = address >> PAGE_SHIFT;
        if (pageOpen && blockPage != page)
            return at(i, "no page end before the next page");
        if (!pageOpen && anyBlock && blockPage == page)
            return at(i, "page continued after its page end");
        for (size_t k = 0; k < n; ++k) {
            unsigned a = address + (unsigned)k;
            if (image[a] < 0)
                return at(i, "sent a byte for the empty cell " + std::to_string(a));
            if (image[a] != p[3 + k])
                return at(i, "wrong byte for cell " + std::to_string(a));
            if (sent[a])
                return at(i, "cell " + std::to_string(a) + " sent twice");
            sent[a] = true;
        }
        // A run is cut into 32-byte pieces from its top: a short block ends its run, and a
        // block whose upper neighbour is present continues a full block just sent.
        if (n < MAX_BLOCK && address > low && image[address - 1] >= 0
            && ((address - 1) >> PAGE_SHIFT) == blockPage)
            return at(i, "short block although the run goes on below it");
        if (top < high && image[top + 1] >= 0 && ((top + 1) >> PAGE_SHIFT) == blockPage
            && !(anyBlock && previousAddress == top + 1 && previousCount == MAX_BLOCK))
            return at(i, "block does not continue the full block of its run above it");
        pageOpen = true;
        page = blockPage;
        anyBlock = true;
        previousAddress = address;
        previousCount = n;
    }
    if (pageOpen)
        return "the part does not end with a page end";
    for (unsigned a = low; a <= high; ++a)
        if (image[a] >= 0 && !sent[a])
            return "cell " + std::to_string(a) + " was never sent";
    return "";
}
