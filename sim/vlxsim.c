/* vlxsim.sys: simulated command-station driver. Presents \\.\VlxUsb<n> for every device added
   through \\.\VlxSimControl and answers the request codes of VlxUsbCodes.h. */
#include "simdrv.h"

#include "VlxUsbCodes.h"

static void VlxInitDevice(SIM_DEVICE* dev)
{
    static const char text[] = SIM_DEFAULT_DRIVER_TEXT;
    dev->textLength = sizeof text - 1;
    SimCopy(dev->text, text, dev->textLength);
    dev->storedNumber = (UCHAR)dev->number;
    dev->version[0] = SIM_DEFAULT_VERSION_MAJOR;
    dev->version[1] = SIM_DEFAULT_VERSION_MINOR;
    dev->version[2] = SIM_DEFAULT_MODE;
    dev->serial[0] = (UCHAR)(SIM_DEFAULT_SERIAL >> 16);
    dev->serial[1] = (UCHAR)(SIM_DEFAULT_SERIAL >> 8);
    dev->serial[2] = (UCHAR)SIM_DEFAULT_SERIAL;
    dev->queue.limit = 65536;
}

/* The text and its NUL, cut to the 64 bytes the channel reserves. */
static NTSTATUS VlxGetDriverInfo(SIM_DEVICE* dev, UCHAR* buffer, ULONG outLength,
                                 ULONG_PTR* information)
{
    ULONG length = dev->textLength < SIM_TEXT_MAX ? dev->textLength + 1 : SIM_TEXT_MAX;
    if (outLength < length)
        return STATUS_BUFFER_TOO_SMALL;
    SimCopy(buffer, dev->text, dev->textLength < length ? dev->textLength : length);
    if (dev->textLength < length)
        buffer[dev->textLength] = 0;
    *information = length;
    return STATUS_SUCCESS;
}

static NTSTATUS VlxSendTestCommand(SIM_DEVICE* dev, const UCHAR* buffer, ULONG inLength)
{
    USHORT value;
    if (inLength != 4 || buffer[0] != VLX_TEST_COMMAND_TAG)
        return STATUS_INVALID_PARAMETER;
    value = (USHORT)(buffer[2] | (buffer[3] << 8));
    switch (buffer[1]) {
    case VLX_SELECTOR_LOOP: {
        UCHAR echo = (UCHAR)value;
        SimQueuePut(&dev->queue, &echo, 1);
        SimServeWaiting(dev);
        return STATUS_SUCCESS;
    }
    case VLX_SELECTOR_PORT:
        dev->portPattern = value;
        ++dev->portWrites;
        return STATUS_SUCCESS;
    default: return STATUS_INVALID_PARAMETER;
    }
}

static NTSTATUS VlxReadTestData(SIM_DEVICE* dev, UCHAR* buffer, ULONG outLength,
                                ULONG_PTR* information)
{
    if (outLength == 0)
        return STATUS_BUFFER_TOO_SMALL;
    if (dev->queue.count == 0 && dev->blocking)
        return SIM_WAIT;
    *information = SimQueueGet(&dev->queue, buffer, outLength);
    return STATUS_SUCCESS;
}

static NTSTATUS VlxGetDeviceNumber(SIM_DEVICE* dev, UCHAR* buffer, ULONG outLength,
                                   ULONG_PTR* information)
{
    if (outLength < 1)
        return STATUS_BUFFER_TOO_SMALL;
    buffer[0] = dev->storedNumber;
    *information = 1;
    return STATUS_SUCCESS;
}

static NTSTATUS VlxSetDeviceNumber(SIM_DEVICE* dev, const UCHAR* buffer, ULONG inLength)
{
    if (inLength != 1)
        return STATUS_INVALID_PARAMETER;
    dev->storedNumber = buffer[0];
    return STATUS_SUCCESS;
}

static NTSTATUS VlxGetThreeBytes(const UCHAR* bytes, UCHAR* buffer, ULONG outLength,
                                 ULONG_PTR* information)
{
    if (outLength < 3)
        return STATUS_BUFFER_TOO_SMALL;
    SimCopy(buffer, bytes, 3);
    *information = 3;
    return STATUS_SUCCESS;
}

/* The payload itself is only logged: the log is what a test checks. */
static NTSTATUS VlxWriteFirmwareBlock(ULONG inLength)
{
    return inLength <= 255 ? STATUS_SUCCESS : STATUS_INVALID_PARAMETER;
}

static NTSTATUS VlxDeviceControl(SIM_DEVICE* dev, ULONG code, UCHAR* buffer, ULONG inLength,
                                 ULONG outLength, ULONG_PTR* information)
{
    switch (code) {
    case VLX_GET_DRIVER_INFO: return VlxGetDriverInfo(dev, buffer, outLength, information);
    case VLX_SEND_TEST_COMMAND: return VlxSendTestCommand(dev, buffer, inLength);
    case VLX_READ_TEST_DATA: return VlxReadTestData(dev, buffer, outLength, information);
    case VLX_GET_DEVICE_NUMBER: return VlxGetDeviceNumber(dev, buffer, outLength, information);
    case VLX_SET_DEVICE_NUMBER: return VlxSetDeviceNumber(dev, buffer, inLength);
    case VLX_GET_FIRMWARE_VERSION:
        return VlxGetThreeBytes(dev->version, buffer, outLength, information);
    case VLX_WRITE_FIRMWARE_BLOCK: return VlxWriteFirmwareBlock(inLength);
    case VLX_GET_SERIAL_NUMBER:
        return VlxGetThreeBytes(dev->serial, buffer, outLength, information);
    default: return STATUS_INVALID_DEVICE_REQUEST;
    }
}

/* The command station has no byte stream. */
static NTSTATUS VlxRead(SIM_DEVICE* dev, UCHAR* buffer, ULONG length, ULONG_PTR* information)
{
    return STATUS_INVALID_DEVICE_REQUEST;
}

static NTSTATUS VlxWrite(SIM_DEVICE* dev, const UCHAR* buffer, ULONG length, ULONG_PTR* information)
{
    return STATUS_INVALID_DEVICE_REQUEST;
}

static NTSTATUS VlxControl(SIM_DEVICE* dev, ULONG code, const SimCommand* c, const UCHAR* data)
{
    switch (code) {
    case SIM_IOCTL_SET_DRIVER_TEXT:
        if (c->length > SIM_TEXT_MAX)
            return STATUS_INVALID_PARAMETER;
        SimCopy(dev->text, data, c->length);
        dev->textLength = c->length;
        return STATUS_SUCCESS;
    case SIM_IOCTL_SET_DEVICE_NUMBER:
        if (c->value > 255)
            return STATUS_INVALID_PARAMETER;
        dev->storedNumber = (UCHAR)c->value;
        return STATUS_SUCCESS;
    case SIM_IOCTL_SET_VERSION:
        if (c->length != 3)
            return STATUS_INVALID_PARAMETER;
        SimCopy(dev->version, data, 3);
        return STATUS_SUCCESS;
    case SIM_IOCTL_SET_SERIAL:
        if (c->length != 3)
            return STATUS_INVALID_PARAMETER;
        SimCopy(dev->serial, data, 3);
        return STATUS_SUCCESS;
    default: return STATUS_INVALID_DEVICE_REQUEST;
    }
}

static const SIM_OPS vlxOps = {
    L"VlxUsb",        L"VlxSimControl", FALSE,    VlxInitDevice,
    VlxDeviceControl, VlxRead,          VlxWrite, VlxControl,
};

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    return SimDriverEntry(driver, &vlxOps);
}
