// Holds a file open without sharing, as another program would, until it is ended (at most 60 s).
// Usage: fw_holdfile PATH
#include <windows.h>

int main(int argc, char** argv)
{
    if (argc != 2 || CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) == INVALID_HANDLE_VALUE)
        return 1;
    Sleep(60000);
    return 0;
}
