/* Shared part of the two simulated drivers: device table, control device, request log, failure
   rules, pending completion and the byte queue. Each driver supplies a SIM_OPS table with what
   is its own (request codes, defaults, driver-specific control requests). */
#ifndef SIMDRV_H
#define SIMDRV_H

#include <ntddk.h>

#include "SimControl.h"

#define SIM_TAG        0x6d69534bu /* "KSim" in a pool dump */
#define SIM_MAX_RULES  16
#define SIM_NAME_CHARS 48

typedef struct SIM_RULE
{
    ULONG code;
    NTSTATUS status;
    ULONG after; /* requests of this code that still pass */
    ULONG flags;
    BOOLEAN used;
} SIM_RULE;

/* Wine's server opens a device file before the driver sees IRP_MJ_CREATE and ignores the
   status the driver gives it: CreateFile succeeds whatever the driver says. A refused open is
   therefore remembered, and every request on that handle fails with the refusal's status. */
typedef struct SIM_REFUSED
{
    LIST_ENTRY entry;
    PFILE_OBJECT file;
    NTSTATUS status;
} SIM_REFUSED;

/* A byte ring that grows on demand up to its limit. */
typedef struct SIM_QUEUE
{
    UCHAR* data;
    ULONG capacity;
    ULONG head;
    ULONG count;
    ULONG limit;
} SIM_QUEUE;

typedef enum SIM_KIND
{
    SimKindControl,
    SimKindDevice
} SIM_KIND;

/* Device extension of every device object of a driver, the control device included. */
typedef struct SIM_DEVICE
{
    SIM_KIND kind;
    ULONG number;
    PDEVICE_OBJECT self;
    BOOLEAN removed;       /* unplugged: kept only until its open handle is closed */
    BOOLEAN linked;        /* symbolic link created */
    PFILE_OBJECT openFile; /* the one handle open on it, or NULL */
    LIST_ENTRY refused;    /* SIM_REFUSED: handles whose open the device refused */
    UNICODE_STRING linkName;
    WCHAR linkBuffer[SIM_NAME_CHARS];

    SIM_RULE rules[SIM_MAX_RULES];
    BOOLEAN pendingOn;
    ULONG pendingMs;
    BOOLEAN blocking;
    LIST_ENTRY waiting; /* reads pended until bytes arrive */

    UCHAR* log; /* SimLogRecord images, back to back */
    ULONG logUsed;
    ULONG logCapacity;
    ULONG logEntries;
    ULONG logDropped;
    ULONG logCursorIndex;  /* speeds up paging: entry index ... */
    ULONG logCursorOffset; /* ... and its byte offset */

    SIM_QUEUE queue; /* vlx: loop bytes; krx: received bytes */

    /* command station */
    UCHAR text[SIM_TEXT_MAX];
    ULONG textLength;
    UCHAR storedNumber;
    UCHAR version[3];
    UCHAR serial[3];
    USHORT portPattern;
    ULONG portWrites;

    /* feedback interface */
    UCHAR* reply;
    ULONG replyLength;
    UCHAR lastWritten; /* last byte of the previous write, for a "v" CR split across writes */
    BOOLEAN floodOn;
    ULONG floodChunk; /* bytes the queue is topped up to before each read */
    UCHAR* floodPattern;
    ULONG floodLength;
    ULONG floodPosition; /* next pattern byte to queue */
    ULONG floodBytes;    /* read since the flood was turned on */
} SIM_DEVICE;

/* Result of a device request handler. SIM_WAIT: nothing to read yet and reads block; the
   framework parks the request until SimServeWaiting completes it. */
#define SIM_WAIT ((NTSTATUS)0x40000100L)

typedef struct SIM_OPS
{
    const WCHAR* deviceName;  /* "VlxUsb": \Device\VlxUsb<n>_<g>, \DosDevices\VlxUsb<n> */
    const WCHAR* controlName; /* "VlxSimControl" */
    BOOLEAN byteStream;       /* feedback interface: its queue holds received bytes */
    void (*initDevice)(SIM_DEVICE* dev);
    /* One request on a device, under the driver lock. buffer: METHOD_BUFFERED system buffer
       for ioctls, the caller's data for reads and writes. */
    /* clang-format off */
    NTSTATUS (*deviceControl)(SIM_DEVICE* dev, ULONG code, UCHAR* buffer, ULONG inLength,
                              ULONG outLength, ULONG_PTR* information);
    /* clang-format on */
    NTSTATUS (*read)(SIM_DEVICE* dev, UCHAR* buffer, ULONG length, ULONG_PTR* information);
    NTSTATUS (*write)(SIM_DEVICE* dev, const UCHAR* buffer, ULONG length, ULONG_PTR* information);
    /* Driver-specific control requests (texts, versions, feed ...), under the driver lock;
       STATUS_INVALID_DEVICE_REQUEST for the ones it does not know. */
    NTSTATUS (*control)(SIM_DEVICE* dev, ULONG code, const SimCommand* command, const UCHAR* data);
} SIM_OPS;

NTSTATUS SimDriverEntry(PDRIVER_OBJECT driver, const SIM_OPS* ops);

/* For the drivers' handlers (driver lock held). */
ULONG SimQueuePut(SIM_QUEUE* q, const UCHAR* data, ULONG length);
ULONG SimQueueGet(SIM_QUEUE* q, UCHAR* out, ULONG length);
/* Completes parked reads with queued bytes; call after putting bytes into dev->queue. */
void SimServeWaiting(SIM_DEVICE* dev);
void SimCopy(void* to, const void* from, ULONG length);

#endif
