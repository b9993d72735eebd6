#include "File.h"

// The name and the open mode belong to the derived class that opens the file.
File::File(String const&, unsigned int)
{
}

File::File(File const&)
{
}

File& File::operator=(File const&)
{
    return *this;
}

File::~File()
{
}
