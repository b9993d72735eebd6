// Holds a file open without sharing, as another program would, until it is ended (at most 60 s).
// The test may be reading the file at the moment this starts: the open is tried again for 10 s.
// Usage: fw_holdfile PATH
#include <windows.h>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 1;
    for (int i = 0; i < 1000; ++i, Sleep(10)) {
        if (CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) != INVALID_HANDLE_VALUE) {
            Sleep(60000);
            return 0;
        }
    }
    return 1;
}
