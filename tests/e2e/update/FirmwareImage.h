#ifndef UPDATE_E2E_FIRMWAREIMAGE_H
#define UPDATE_E2E_FIRMWAREIMAGE_H

#include <map>
#include <string>
#include <vector>

// Firmware files for the program and the payloads it sends, written by the tests themselves,
// apart from the program's reader and writer.

typedef std::vector<unsigned char> Payload;

// Intel HEX text (data records of up to 16 bytes, then the end record) for these bytes.
std::string makeIntelHex(std::map<unsigned, unsigned char> const& bytes);

Payload command(unsigned char code, unsigned char flags = 0);

#endif
