#include "UsbDriver.h"

#include "Win32Exception.h"

UsbDriver::UsbDriver(unsigned char deviceNumber) : deviceNumber(deviceNumber)
{
}

UsbDriver::~UsbDriver()
{
}

DWORD UsbDriver::finishRequest(BOOL done, DWORD count, OVERLAPPED& overlapped, HANDLE event, char const* message)
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

HANDLE UsbDriver::threadEvent(char const* message)
{
    // The system clears a request's event when it starts the request, so a signal left by an
    // earlier request that completed at once cannot end a later wait early.
    thread_local Handle event;
    if (!event.isValid()) {
        event = Handle::createEvent(false, false);
        if (!event.isValid()) {
            DWORD error = GetLastError();
            throw Win32Exception(message, error);
        }
    }
    return event.get();
}
