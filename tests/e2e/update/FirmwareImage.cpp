#include "FirmwareImage.h"

#include <stdio.h>

namespace
{
const unsigned CELLS = 0x8000;
const unsigned PAGE_SHIFT = 7;
const size_t MAX_BLOCK = 32;

void appendByte(std::string& line, unsigned value, unsigned& sum)
{
    char digits[3];
    snprintf(digits, sizeof digits, "%02X", value & 0xFF);
    line += digits;
    sum += value & 0xFF;
}

std::string record(unsigned address, unsigned type, std::vector<unsigned char> const& data)
{
    std::string line = ":";
    unsigned sum = 0;
    appendByte(line, (unsigned)data.size(), sum);
    appendByte(line, address >> 8, sum);
    appendByte(line, address, sum);
    appendByte(line, type, sum);
    for (unsigned char b : data)
        appendByte(line, b, sum);
    appendByte(line, (0x100 - (sum & 0xFF)) & 0xFF, sum);
    return line + "\r\n";
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
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
    size_t pos = 0;
    for (;;) {
        pos = text.find(':', pos);
        if (pos == std::string::npos) {
            error = "no end record";
            return false;
        }
        ++pos;
        auto byteAt = [&](size_t index, unsigned& value) {
            size_t p = pos + 2 * index;
            if (p + 1 >= text.size() || hexDigit(text[p]) < 0 || hexDigit(text[p + 1]) < 0)
                return false;
            value = (unsigned)(hexDigit(text[p]) * 16 + hexDigit(text[p + 1]));
            return true;
        };
        unsigned count, high, low, type;
        if (!byteAt(0, count) || !byteAt(1, high) || !byteAt(2, low) || !byteAt(3, type)) {
            error = "broken record header";
            return false;
        }
        unsigned address = (high << 8) | low;
        unsigned sum = count + high + low + type;
        if (type > 1) {
            error = "record type " + std::to_string(type);
            return false;
        }
        for (unsigned i = 0; i < count; ++i) {
            unsigned value;
            if (!byteAt(4 + i, value) || address + i >= CELLS) {
                error = "broken data at " + std::to_string(address + i);
                return false;
            }
            image[address + i] = (int)value;
            sum += value;
        }
        unsigned check;
        if (!byteAt(4 + count, check) || ((sum + check) & 0xFF) != 0) {
            error = "checksum of the record at " + std::to_string(address);
            return false;
        }
        if (type == 1)
            return true;
        pos += 2 * (5 + count);
    }
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
