// Requests per second through VlxUsbDriver::getFirmwareVersion against the same number of
// bare DeviceIoControl calls on the same device, in one run. The device opens exclusively,
// so the two sides take turns in rounds; opening and closing are not timed.
//
// Usage: vlxbench [device-number [requests-per-round [rounds]]]   (defaults 1, 500, 20)

#include <cstdio>
#include <cstdlib>

#include <windows.h>

#include "VlxUsbCodes.h"
#include "VlxUsbDriver.h"
#include "Win32Exception.h"

namespace
{
double seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

unsigned short throughChannel(unsigned char device, unsigned long count, double& elapsed)
{
    VlxUsbDriver channel(device);
    unsigned short version = 0;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (unsigned long i = 0; i < count; ++i)
        version = channel.getFirmwareVersion();
    QueryPerformanceCounter(&end);
    elapsed += seconds(start, end);
    return version;
}

// The least a caller of an overlapped handle must do: one event for all requests, the
// pending path only when the driver takes it.
unsigned short bare(unsigned char device, unsigned long count, double& elapsed)
{
    HANDLE h = CreateFileA(VlxUsbDriver::getDevicePath(device).getChars(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw Win32Exception("Gerät nicht zu öffnen", GetLastError());
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    unsigned char reply[3] = {};
    DWORD error = 0;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (unsigned long i = 0; i < count && !error; ++i)
    {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = event;
        DWORD returned = 0;
        if (DeviceIoControl(h, VLX_GET_FIRMWARE_VERSION, nullptr, 0, reply, sizeof reply, &returned, &overlapped))
            continue;
        if (GetLastError() != ERROR_IO_PENDING)
            error = GetLastError();
        else if (WaitForSingleObject(event, INFINITE) != WAIT_OBJECT_0 ||
                 !GetOverlappedResult(h, &overlapped, &returned, FALSE))
            error = ERROR_IO_PENDING;
    }
    QueryPerformanceCounter(&end);
    elapsed += seconds(start, end);
    CloseHandle(event);
    CloseHandle(h);
    if (error)
        throw Win32Exception("DeviceIoControl fehlgeschlagen", error);
    return static_cast<unsigned short>(reply[0] * 100 + reply[1]);
}
}

int main(int argc, char** argv)
{
    unsigned long device = argc > 1 ? strtoul(argv[1], nullptr, 10) : 1;
    unsigned long count = argc > 2 ? strtoul(argv[2], nullptr, 10) : 500;
    unsigned long rounds = argc > 3 ? strtoul(argv[3], nullptr, 10) : 20;
    if (device < 1 || device > 255 || count == 0 || rounds == 0)
    {
        fprintf(stderr, "Aufruf: vlxbench [Gerätenummer 1-255 [Anfragen je Runde [Runden]]]\n");
        return 2;
    }
    try
    {
        double channelTime = 0, bareTime = 0;
        // One untimed round each warms caches and the driver's paths.
        throughChannel(static_cast<unsigned char>(device), count / 10 + 1, channelTime);
        bare(static_cast<unsigned char>(device), count / 10 + 1, bareTime);
        channelTime = bareTime = 0;
        unsigned short a = 0, b = 0;
        for (unsigned long r = 0; r < rounds; ++r)
        {
            a = throughChannel(static_cast<unsigned char>(device), count, channelTime);
            b = bare(static_cast<unsigned char>(device), count, bareTime);
        }
        if (a != b)
        {
            fprintf(stderr, "Versionen weichen ab: %u und %u\n", a, b);
            return 1;
        }
        double total = double(count) * double(rounds);
        double channelRate = total / channelTime;
        double bareRate = total / bareTime;
        printf("device                               %s (version %u.%02u)\n",
               VlxUsbDriver::getDevicePath(static_cast<unsigned char>(device)).getChars(), a / 100, a % 100);
        printf("requests per side                    %.0f (%lu rounds of %lu)\n", total, rounds, count);
        printf("VlxUsbDriver::getFirmwareVersion     %.0f requests/s (%.2f us each)\n", channelRate,
               1e6 / channelRate);
        printf("bare DeviceIoControl                 %.0f requests/s (%.2f us each)\n", bareRate, 1e6 / bareRate);
        printf("ratio channel / bare                 %.3f\n", channelRate / bareRate);
        return 0;
    }
    catch (Win32Exception& e)
    {
        fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
