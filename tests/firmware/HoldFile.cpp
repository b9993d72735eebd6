// Holds a file open without sharing, as another program would, until told to let go.
// Usage: fw_holdfile PATH READY_EVENT RELEASE_EVENT
// Signals READY_EVENT once the file is open, then waits (at most 60 s) for RELEASE_EVENT.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        fprintf(stderr, "usage: fw_holdfile PATH READY_EVENT RELEASE_EVENT\n");
        return 2;
    }
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        fprintf(stderr, "cannot open %s: %lu\n", argv[1], GetLastError());
        return 1;
    }
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
    if (!ready || !release)
    {
        fprintf(stderr, "cannot open the events: %lu\n", GetLastError());
        CloseHandle(file);
        return 1;
    }
    SetEvent(ready);
    DWORD waited = WaitForSingleObject(release, 60000);
    CloseHandle(file);
    CloseHandle(ready);
    CloseHandle(release);
    return waited == WAIT_OBJECT_0 ? 0 : 3;
}
