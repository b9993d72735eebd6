#include "UsbDriver.h"

#include "Win32Exception.h"

UsbDriver::UsbDriver(unsigned char deviceNumber) : deviceNumber(deviceNumber)
{
}

UsbDriver::~UsbDriver()
{
}

DWORD UsbDriver::finishRequest(BOOL done, DWORD count, OVERLAPPED& overlapped, HANDLE event,
                               char const* message)
{
    if (done)
        return count;
    DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING)
        throw Win32Exception(message, error);
    WaitForSingleObject(event, INFINITE);
    if (!GetOverlappedResult(handle.get(), &overlapped, &count, FALSE))
        throw Win32Exception(message, ERROR_IO_PENDING);
    return count;
}
