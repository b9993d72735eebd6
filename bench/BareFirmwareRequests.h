#ifndef BAREFIRMWAREREQUESTS_H
#define BAREFIRMWAREREQUESTS_H

// What the update benchmarks measure against: the firmware payloads a run left in the simulated
// command station's log, sent again as bare overlapped requests, each with its own event.
#include <windows.h>

#include <vector>

#include "SimClient.h"
#include "VlxUsbCodes.h"

namespace bench
{
typedef std::vector<std::vector<unsigned char>> Payloads;

inline double now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

inline Payloads firmwarePayloads(unsigned device)
{
    Payloads payloads;
    for (SimRequest const& r : SimClient::vlxLog(device))
        if (r.code == VLX_WRITE_FIRMWARE_BLOCK)
            payloads.push_back(r.payload);
    return payloads;
}

// Seconds for all payloads to \\.\VlxUsb1; -1 when the device does not open.
inline double bareRequests(Payloads const& payloads)
{
    HANDLE device = CreateFileA("\\\\.\\VlxUsb1", GENERIC_READ | GENERIC_WRITE, 0, NULL,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, NULL);
    if (device == INVALID_HANDLE_VALUE)
        return -1;
    double start = now();
    for (auto const& p : payloads) {
        HANDLE event = CreateEventA(NULL, FALSE, FALSE, NULL);
        OVERLAPPED overlapped = {};
        overlapped.hEvent = event;
        DWORD returned = 0;
        if (!DeviceIoControl(device, VLX_WRITE_FIRMWARE_BLOCK, (void*)p.data(), (DWORD)p.size(),
                             NULL, 0, &returned, &overlapped) &&
            GetLastError() == ERROR_IO_PENDING) {
            WaitForSingleObject(event, INFINITE);
            GetOverlappedResult(device, &overlapped, &returned, FALSE);
        }
        CloseHandle(event);
    }
    double elapsed = now() - start;
    CloseHandle(device);
    return elapsed;
}
} // namespace bench

#endif
