#include "LoadUpdateData.h"

#include <io.h>
#include <cstring>

#include "IntelHexData.h"
#include "Win32Exception.h"
#include "Window.h"
#include "resource.h"

namespace
{
int const READ_PERMISSION = 4;

// Window keeps the program's module instance for the classes built on it; the loader reads
// it as one of them.
class ModuleInstance : public Window
{
public:
    static HINSTANCE get() { return getMainInstance(); }
};

void describe(char* description, char const* text)
{
    if (description == nullptr)
        return;
    size_t length = strnlen(text, UPDATE_DESCRIPTION_SIZE - 1);
    memcpy(description, text, length);
    description[length] = '\0';
}
}

IntelHexData* loadUpdateData(char* description, char const* path)
{
    if (path != nullptr && path[0] != '\0' && _access(path, READ_PERMISSION) == 0) {
        try {
            IntelHexData* data = new IntelHexData(String(path));
            describe(description, path);
            return data;
        } catch (Win32Exception&) {
            // A file that cannot be opened (a directory, held by another program) is no reason
            // to bother the user: the built-in image serves.
        }
    }
    IntelHexData* data = new IntelHexData(ModuleInstance::get(), IDR_FIRMWARE);
    describe(description, "intern");
    return data;
}
