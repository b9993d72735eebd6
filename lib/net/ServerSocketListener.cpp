#include "ServerSocketListener.h"

// Out of line, so that the destructor and the virtual table are exported with the library.
ServerSocketListener::~ServerSocketListener()
{
}
