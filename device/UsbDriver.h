#ifndef USBDRIVER_H
#define USBDRIVER_H

#include <windows.h>

#include "Handle.h"

// Base of the two device channels: the device number and the driver handle, which it owns
// (a channel's destructor may close it earlier, in its own order). It opens nothing.
class UsbDriver
{
public:
    explicit UsbDriver(unsigned char deviceNumber);
    virtual ~UsbDriver();

    // For cancelling a request that blocks another thread (CancelIoEx).
    HANDLE getHandle() const { return handle.get(); }

protected:
    // One request on the overlapped handle. start(&count, &overlapped) makes the call (ReadFile,
    // WriteFile or DeviceIoControl, bound to its buffers); event must not be shared with any
    // request that may be outstanding at the same time. A request that fails at once throws
    // message with its error; one that fails after pending throws message with 997.
    template <class Start>
    DWORD overlappedRequest(Start start, HANDLE event, char const* message)
    {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = event;
        DWORD count = 0;
        BOOL done = start(&count, &overlapped);
        return finishRequest(done, count, overlapped, event, message);
    }

    unsigned char deviceNumber;
    Handle handle;

private:
    UsbDriver(UsbDriver const&) = delete;
    UsbDriver& operator=(UsbDriver const&) = delete;

    // Reads the last error first, before anything else can change it.
    DWORD finishRequest(BOOL done, DWORD count, OVERLAPPED& overlapped, HANDLE event,
                        char const* message);
};

#endif
