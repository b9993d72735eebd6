#ifndef UPDATE_E2E_FIRMWAREIMAGE_H
#define UPDATE_E2E_FIRMWAREIMAGE_H

#include <map>
#include <string>
#include <vector>

// The tests' own view of a firmware image and of what the command station received, kept
// apart from the program's reader and writer so that a shared mistake cannot hide.

typedef std::vector<unsigned char> Payload;

// 0x8000 cells, -1 where the image holds no byte.
typedef std::vector<int> Image;

// Intel HEX text (data records of up to 16 bytes, then the end record) for these bytes.
std::string makeIntelHex(std::map<unsigned, unsigned char> const& bytes);

// Reads data and end records; returns false (with a reason) on anything else.
bool parseIntelHex(std::string const& text, Image& image, std::string& error);

Payload command(unsigned char code, unsigned char flags = 0);

// Checks one part of a download: blocks and page ends that carry exactly the bytes present in
// [low, high] of the image, each once, pages from the top down, blocks from the top of each
// page down, at most 32 bytes, cut from the top end of a run, one page end after each page.
// Returns an empty text when the payloads are right, otherwise what is wrong.
std::string checkPart(std::vector<Payload> const& payloads, size_t begin, size_t end,
                      Image const& image, unsigned low, unsigned high);

// Where the part that starts at `begin` ends: the first payload that is neither a block nor a
// page end.
size_t partEnd(std::vector<Payload> const& payloads, size_t begin);

std::string hexText(Payload const& payload);

#endif
