// How many handles this process has open and how many threads it runs, for tests that prove an
// object closes what it opened and ends what it started.
#ifndef HANDLECOUNT_H
#define HANDLECOUNT_H

#include <windows.h>

#include <tlhelp32.h>

// Wine 8 answers GetProcessHandleCount with 0, so then the handles are counted by asking for the
// information of every handle value (multiples of 4) up to a long run of unused ones. The
// process's first exception leaves handles of the runtime open for good: one is thrown before
// the first count, so that they are never counted as a test's leak.
inline long openHandles()
{
    static bool const warmedUp = [] {
        try {
            throw 0;
        } catch (int) {
        }
        return true;
    }();
    (void)warmedUp;
    DWORD n = 0, flags = 0, unused = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &n) && n > 0)
        return static_cast<long>(n);
    for (ULONG_PTR value = 4; unused < 1024; value += 4)
        unused = GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? (++n, 0)
                                                                               : unused + 1;
    return static_cast<long>(n);
}

inline long threadCount()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    long count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

#endif
