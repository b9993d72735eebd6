#ifndef VLXUSBDRIVER_H
#define VLXUSBDRIVER_H

#include "EventPool.h"
#include "String.h"
#include "UsbDriver.h"

// The command station's channel (\\.\VlxUsb<n>): every command is one driver control request
// with its own OVERLAPPED record and an event no other outstanding request holds, so several
// threads may use one channel at once.
// Constructing opens the device exclusively; destroying closes it. Failures throw Win32Exception.
class VlxUsbDriver : public UsbDriver
{
public:
    explicit VlxUsbDriver(unsigned char deviceNumber);
    virtual ~VlxUsbDriver();

    static String getDevicePath(unsigned char deviceNumber);
    // Never throws. A device that someone else holds open counts as present.
    static bool isPresent(unsigned char deviceNumber);
    // The probe's verdict on a refused open: only a missing device file (ERROR_FILE_NOT_FOUND)
    // means absent; a sharing violation or denied access means someone holds the device.
    static bool isPresentAfterOpenError(DWORD error);

    // Points to one buffer shared by all channels; the next call overwrites it.
    char* getDriverInfo();
    void sendTestCommand(unsigned char selector, unsigned short value);
    unsigned short readTestData(unsigned char* buffer, unsigned short maxLength);
    unsigned char getDeviceNumber();
    void setDeviceNumber(unsigned char number);
    // major * 100 + minor
    unsigned short getFirmwareVersion();
    bool isEmergencyMode();
    void writeFirmwareBlock(unsigned char const* data, unsigned char length);
    DWORD getSerialNumber();

private:
    DWORD request(DWORD code, void const* in, DWORD inLength, void* out, DWORD outLength);

    EventPool events;
};

#endif
