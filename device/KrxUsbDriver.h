#ifndef KRXUSBDRIVER_H
#define KRXUSBDRIVER_H

#include "String.h"
#include "UsbDriver.h"

// The feedback interface's channel (\\.\KrxUsb<n>): a byte stream and one control request,
// synchronous or overlapped (fixed when opened). In overlapped mode each kind of request has
// its own event, so one read, one write and one control request may be outstanding at once;
// two of the same kind must not. No time-outs. Failures throw Win32Exception.
class KrxUsbDriver : public UsbDriver
{
public:
    KrxUsbDriver(unsigned char deviceNumber, bool asynchronous);
    virtual ~KrxUsbDriver();

    static String getDevicePath(unsigned char deviceNumber);

    unsigned short read(unsigned char* buffer, unsigned short length);
    unsigned short write(unsigned char const* buffer, unsigned short length);
    unsigned short control(DWORD code, void const* in, DWORD inLength, void* out, DWORD outLength);
    DWORD getReceiveCount();
    // Points to one buffer shared by all channels; the next call overwrites it.
    char* queryVersion();

    bool isAsynchronous() const { return asynchronous; }

private:
    void open();
    void close();
    // One request in the mode of this channel; call is ReadFile, WriteFile or DeviceIoControl
    // already bound to its buffers.
    template <class Call>
    DWORD run(Call call, HANDLE event, char const* message);

    bool asynchronous;
    Handle readEvent;
    Handle writeEvent;
    Handle controlEvent;
};

#endif
