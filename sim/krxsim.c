/* krxsim.sys: simulated feedback-interface driver. Presents \\.\KrxUsb<n> for every device
   added through \\.\KrxSimControl: a byte stream both ways, the receive-count request, and the
   device's reply to "v" CR. */
#include "simdrv.h"

#include "KrxUsbCodes.h"

#define KRX_RECEIVE_LIMIT (1024u * 1024u)

static NTSTATUS KrxSetReply(SIM_DEVICE* dev, const UCHAR* bytes, ULONG length)
{
    UCHAR* copy = NULL;
    if (length > SIM_REPLY_MAX)
        return STATUS_INVALID_PARAMETER;
    if (length) {
        copy = (UCHAR*)ExAllocatePoolWithTag(NonPagedPool, length, SIM_TAG);
        if (!copy)
            return STATUS_INSUFFICIENT_RESOURCES;
        SimCopy(copy, bytes, length);
    }
    if (dev->reply)
        ExFreePoolWithTag(dev->reply, SIM_TAG);
    dev->reply = copy;
    dev->replyLength = length;
    return STATUS_SUCCESS;
}

static void KrxInitDevice(SIM_DEVICE* dev)
{
    static const char reply[] = SIM_DEFAULT_REPLY;
    dev->queue.limit = KRX_RECEIVE_LIMIT;
    KrxSetReply(dev, (const UCHAR*)reply, sizeof reply - 1);
}

static NTSTATUS KrxGetReceiveCount(SIM_DEVICE* dev, UCHAR* buffer, ULONG outLength,
                                   ULONG_PTR* information)
{
    ULONG count = dev->queue.count;
    if (outLength < sizeof count)
        return STATUS_BUFFER_TOO_SMALL;
    SimCopy(buffer, &count, sizeof count);
    *information = sizeof count;
    return STATUS_SUCCESS;
}

static NTSTATUS KrxDeviceControl(SIM_DEVICE* dev, ULONG code, UCHAR* buffer, ULONG inLength,
                                 ULONG outLength, ULONG_PTR* information)
{
    switch (code) {
    case KRX_GET_RECEIVE_COUNT: return KrxGetReceiveCount(dev, buffer, outLength, information);
    default: return STATUS_INVALID_DEVICE_REQUEST;
    }
}

/* A flooding device has sent the next pattern bytes, up to floodChunk waiting. */
static void KrxFloodTopUp(SIM_DEVICE* dev)
{
    while (dev->queue.count < dev->floodChunk) {
        ULONG n = dev->floodLength - dev->floodPosition;
        if (n > dev->floodChunk - dev->queue.count)
            n = dev->floodChunk - dev->queue.count;
        if (SimQueuePut(&dev->queue, dev->floodPattern + dev->floodPosition, n) != n)
            return;
        dev->floodPosition = (dev->floodPosition + n) % dev->floodLength;
    }
}

static NTSTATUS KrxSetFlood(SIM_DEVICE* dev, const SimCommand* c, const UCHAR* data)
{
    UCHAR* pattern;
    ULONG length = c->length ? c->length : SIM_DEFAULT_FLOOD_LENGTH;
    ULONG i;
    if (!(c->flags & SIM_FLOOD_ON)) {
        dev->floodOn = FALSE;
        return STATUS_SUCCESS;
    }
    if (c->value == 0 || c->value > SIM_DATA_MAX || length > SIM_REPLY_MAX)
        return STATUS_INVALID_PARAMETER;
    pattern = (UCHAR*)ExAllocatePoolWithTag(NonPagedPool, length, SIM_TAG);
    if (!pattern)
        return STATUS_INSUFFICIENT_RESOURCES;
    for (i = 0; i < length; ++i)
        pattern[i] = c->length ? data[i] : (UCHAR)(SIM_DEFAULT_FLOOD_FIRST + i);
    if (dev->floodPattern)
        ExFreePoolWithTag(dev->floodPattern, SIM_TAG);
    dev->floodPattern = pattern;
    dev->floodLength = length;
    dev->floodPosition = 0;
    dev->floodChunk = c->value;
    dev->floodBytes = 0;
    dev->floodOn = TRUE;
    KrxFloodTopUp(dev);
    SimServeWaiting(dev);
    return STATUS_SUCCESS;
}

/* Delivers what is there, possibly less than asked; nothing there: wait or return 0 bytes. */
static NTSTATUS KrxRead(SIM_DEVICE* dev, UCHAR* buffer, ULONG length, ULONG_PTR* information)
{
    if (dev->floodOn)
        KrxFloodTopUp(dev);
    if (length && dev->queue.count == 0 && dev->blocking)
        return SIM_WAIT;
    *information = SimQueueGet(&dev->queue, buffer, length);
    if (dev->floodOn)
        dev->floodBytes += (ULONG)*information;
    return STATUS_SUCCESS;
}

/* Writes go to the device (the log keeps them); a "v" CR among them, even split over two
   writes, makes the device answer with its version reply. */
static NTSTATUS KrxWrite(SIM_DEVICE* dev, const UCHAR* buffer, ULONG length, ULONG_PTR* information)
{
    ULONG i;
    for (i = 0; i < length; ++i) {
        UCHAR previous = i ? buffer[i - 1] : dev->lastWritten;
        if (previous == KRX_VERSION_REQUEST[0] && buffer[i] == KRX_LINE_END && dev->replyLength)
            SimQueuePut(&dev->queue, dev->reply, dev->replyLength);
    }
    if (length)
        dev->lastWritten = buffer[length - 1];
    SimServeWaiting(dev);
    *information = length;
    return STATUS_SUCCESS;
}

static NTSTATUS KrxControl(SIM_DEVICE* dev, ULONG code, const SimCommand* c, const UCHAR* data)
{
    switch (code) {
    case SIM_IOCTL_SET_REPLY: return KrxSetReply(dev, data, c->length);
    case SIM_IOCTL_SET_FLOOD: return KrxSetFlood(dev, c, data);
    case SIM_IOCTL_FEED:
        if (c->length > dev->queue.limit - dev->queue.count)
            return STATUS_INSUFFICIENT_RESOURCES;
        if (SimQueuePut(&dev->queue, data, c->length) != c->length)
            return STATUS_INSUFFICIENT_RESOURCES;
        SimServeWaiting(dev);
        return STATUS_SUCCESS;
    default: return STATUS_INVALID_DEVICE_REQUEST;
    }
}

static const SIM_OPS krxOps = {
    L"KrxUsb",        L"KrxSimControl", TRUE,     KrxInitDevice,
    KrxDeviceControl, KrxRead,          KrxWrite, KrxControl,
};

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    return SimDriverEntry(driver, &krxOps);
}
