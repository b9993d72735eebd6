#ifndef LOADUPDATEDATA_H
#define LOADUPDATEDATA_H

class IntelHexData;

// Size of the description buffer: a path of up to 260 characters and its NUL.
unsigned int const UPDATE_DESCRIPTION_SIZE = 261;

// The firmware text to send: the file filePath (the one named on the command line; empty for
// none) when it can be read, else the image built into the program. `description` (null, or at
// least 261 bytes) receives that path exactly as given, or "intern". The caller owns and
// deletes the result.
IntelHexData* loadUpdateData(char* description, char const* filePath);

#endif
