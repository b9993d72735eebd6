#ifndef FILE_H
#define FILE_H

#include "LibApi.h"
#include "String.h"

// A file that is open for the object's whole life: the constructor of a derived class opens
// it (or throws), the destructor closes it. Sizes and positions are 32-bit.
class LIBAPI File
{
public:
    File(String const& name, unsigned int modus);
    virtual ~File();

    virtual unsigned long getSize() = 0;
    // Returns the number of bytes delivered: short at the end of the file, 0 on failure.
    virtual unsigned long read(char* buffer, unsigned long count) = 0;

protected:
    File(File const& other);
    File& operator=(File const& other);
};

#endif
