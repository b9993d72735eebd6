#ifndef USBDRIVER_H
#define USBDRIVER_H

#include <windows.h>

// Base of the two device channels: the device number and the driver handle. It opens
// nothing and closes nothing; each channel closes its own handle in its destructor.
class UsbDriver
{
public:
    explicit UsbDriver(unsigned char deviceNumber);
    virtual ~UsbDriver();

    // For cancelling a request that blocks another thread (CancelIoEx).
    HANDLE getHandle() const { return handle; }

protected:
    unsigned char deviceNumber;
    HANDLE handle;

private:
    UsbDriver(UsbDriver const&) = delete;
    UsbDriver& operator=(UsbDriver const&) = delete;
};

#endif
