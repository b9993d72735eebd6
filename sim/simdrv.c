/* Shared part of vlxsim.sys and krxsim.sys.

   Locking: one spin lock per driver guards every device's state, the pending lists and the
   log. Requests arrive on winedevice's dispatch thread; delayed completions come from the
   driver's timer thread, cancellations from whoever cancels. IRPs are never completed while the
   lock is held: finished ones go to `done` and are completed by SimFlush after the lock is
   dropped. A parked IRP (waiting for bytes or for its delay) always sits in exactly one list
   until it is completed, so a cancel routine that runs finds it there. */
#include "simdrv.h"

/* In ntifs.h, which does not mix with ntddk.h. */
NTSYSAPI NTSTATUS NTAPI ZwWaitForSingleObject(HANDLE handle, BOOLEAN alertable,
                                              PLARGE_INTEGER timeout);

typedef struct SIM_DRIVER
{
    const SIM_OPS* ops;
    PDRIVER_OBJECT driver;
    PDEVICE_OBJECT control;
    UNICODE_STRING controlLink;
    WCHAR controlLinkBuffer[SIM_NAME_CHARS];
    BOOLEAN controlLinked;
    KSPIN_LOCK lock;
    SIM_DEVICE* devices[256];
    ULONG generation;   /* makes device object names unique across add/remove */
    LIST_ENTRY delayed; /* pending-mode IRPs, in order of their due time */
    LIST_ENTRY done;    /* completed under the lock, to be handed back after it */
    KEVENT wake;
    HANDLE thread;
    volatile LONG stopping;
} SIM_DRIVER;

static SIM_DRIVER g;

/* DriverContext slots of a parked IRP. */
#define CTX_DUE    0
#define CTX_DEVICE 1

void SimCopy(void* to, const void* from, ULONG length)
{
    if (length)
        RtlCopyMemory(to, from, length);
}

static ULONG SimNowMs(void)
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter = KeQueryPerformanceCounter(&frequency);
    if (frequency.QuadPart <= 0)
        return 0;
    return (ULONG)((ULONGLONG)counter.QuadPart / ((ULONGLONG)frequency.QuadPart / 1000u + 1u));
}

static void SimLock(KIRQL* irql)
{
    KeAcquireSpinLock(&g.lock, irql);
}
static void SimUnlock(KIRQL irql)
{
    KeReleaseSpinLock(&g.lock, irql);
}

/* Hands back every IRP finished under the lock. */
static void SimFlush(void)
{
    LIST_ENTRY local;
    KIRQL irql;
    InitializeListHead(&local);
    SimLock(&irql);
    while (!IsListEmpty(&g.done))
        InsertTailList(&local, RemoveHeadList(&g.done));
    SimUnlock(irql);
    while (!IsListEmpty(&local)) {
        PLIST_ENTRY e = RemoveHeadList(&local);
        PIRP irp = CONTAINING_RECORD(e, IRP, Tail.Overlay.ListEntry);
        IoCompleteRequest(irp, IO_NO_INCREMENT);
    }
}

static void SimFinish(PIRP irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = NT_SUCCESS(status) ? information : 0;
    InsertTailList(&g.done, &irp->Tail.Overlay.ListEntry);
}

/* ---- parking IRPs ---------------------------------------------------------------------- */

static VOID NTAPI SimCancel(PDEVICE_OBJECT device, PIRP irp)
{
    KIRQL irql;
    IoReleaseCancelSpinLock(irp->CancelIrql);
    SimLock(&irql);
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    SimFinish(irp, STATUS_CANCELLED, 0);
    SimUnlock(irql);
    SimFlush();
}

/* Parks irp at the end of list (lock held). Returns FALSE when it was cancelled already; it
   is then finished with STATUS_CANCELLED. */
static BOOLEAN SimPark(PLIST_ENTRY list, PIRP irp, SIM_DEVICE* dev, ULONG due)
{
    irp->Tail.Overlay.DriverContext[CTX_DUE] = (PVOID)(ULONG_PTR)due;
    irp->Tail.Overlay.DriverContext[CTX_DEVICE] = dev;
    IoMarkIrpPending(irp);
    IoSetCancelRoutine(irp, SimCancel);
    if (irp->Cancel && IoSetCancelRoutine(irp, NULL) != NULL) {
        SimFinish(irp, STATUS_CANCELLED, 0);
        return FALSE;
    }
    InsertTailList(list, &irp->Tail.Overlay.ListEntry);
    return TRUE;
}

/* Takes a parked IRP back (lock held). FALSE: its cancel routine owns it now and will find it
   where it is. */
static BOOLEAN SimUnpark(PIRP irp)
{
    if (IoSetCancelRoutine(irp, NULL) == NULL)
        return FALSE;
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    return TRUE;
}

/* Finishes every parked IRP of dev, or of one file of it (file not NULL). */
static void SimFinishParked(SIM_DEVICE* dev, PFILE_OBJECT file, NTSTATUS status)
{
    PLIST_ENTRY lists[2];
    int i;
    lists[0] = &dev->waiting;
    lists[1] = &g.delayed;
    for (i = 0; i < 2; ++i) {
        PLIST_ENTRY e = lists[i]->Flink;
        while (e != lists[i]) {
            PIRP irp = CONTAINING_RECORD(e, IRP, Tail.Overlay.ListEntry);
            PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
            e = e->Flink;
            if (irp->Tail.Overlay.DriverContext[CTX_DEVICE] != dev)
                continue;
            if (file && stack->FileObject != file && irp->Tail.Overlay.OriginalFileObject != file)
                continue;
            if (SimUnpark(irp))
                SimFinish(irp, status, 0);
        }
    }
}

/* ---- byte queue ------------------------------------------------------------------------ */

ULONG SimQueuePut(SIM_QUEUE* q, const UCHAR* data, ULONG length)
{
    ULONG i;
    if (length > q->limit - q->count)
        length = q->limit - q->count;
    if (q->count + length > q->capacity) {
        ULONG capacity = q->capacity ? q->capacity : 256;
        UCHAR* bigger;
        while (capacity < q->count + length)
            capacity *= 2;
        if (capacity > q->limit)
            capacity = q->limit;
        bigger = (UCHAR*)ExAllocatePoolWithTag(NonPagedPool, capacity, SIM_TAG);
        if (!bigger)
            return 0;
        for (i = 0; i < q->count; ++i)
            bigger[i] = q->data[(q->head + i) % q->capacity];
        if (q->data)
            ExFreePoolWithTag(q->data, SIM_TAG);
        q->data = bigger;
        q->capacity = capacity;
        q->head = 0;
    }
    for (i = 0; i < length; ++i)
        q->data[(q->head + q->count + i) % q->capacity] = data[i];
    q->count += length;
    return length;
}

ULONG SimQueueGet(SIM_QUEUE* q, UCHAR* out, ULONG length)
{
    ULONG i;
    if (length > q->count)
        length = q->count;
    for (i = 0; i < length; ++i)
        out[i] = q->data[(q->head + i) % q->capacity];
    if (length) {
        q->head = (q->head + length) % q->capacity;
        q->count -= length;
    }
    return length;
}

static void SimQueueFree(SIM_QUEUE* q)
{
    if (q->data)
        ExFreePoolWithTag(q->data, SIM_TAG);
    q->data = NULL;
    q->capacity = q->head = q->count = 0;
}

/* ---- log -------------------------------------------------------------------------------- */

static void SimLogFree(SIM_DEVICE* dev)
{
    if (dev->log)
        ExFreePoolWithTag(dev->log, SIM_TAG);
    dev->log = NULL;
    dev->logUsed = dev->logCapacity = dev->logEntries = 0;
    dev->logCursorIndex = dev->logCursorOffset = 0;
}

static void SimLogAdd(SIM_DEVICE* dev, ULONG code, const UCHAR* payload, ULONG length)
{
    ULONG size = SIM_LOG_RECORD_SIZE(length);
    SimLogRecord record;
    if (dev->logEntries >= SIM_LOG_MAX_ENTRIES || length > SIM_LOG_MAX_BYTES ||
        dev->logUsed + size > SIM_LOG_MAX_BYTES + 8u * SIM_LOG_MAX_ENTRIES) {
        ++dev->logDropped;
        return;
    }
    if (dev->logUsed + size > dev->logCapacity) {
        ULONG capacity = dev->logCapacity ? dev->logCapacity : 4096;
        UCHAR* bigger;
        while (capacity < dev->logUsed + size)
            capacity *= 2;
        bigger = (UCHAR*)ExAllocatePoolWithTag(NonPagedPool, capacity, SIM_TAG);
        if (!bigger) {
            ++dev->logDropped;
            return;
        }
        SimCopy(bigger, dev->log, dev->logUsed);
        if (dev->log)
            ExFreePoolWithTag(dev->log, SIM_TAG);
        dev->log = bigger;
        dev->logCapacity = capacity;
    }
    record.code = code;
    record.length = length;
    SimCopy(dev->log + dev->logUsed, &record, sizeof record);
    SimCopy(dev->log + dev->logUsed + sizeof record, payload, length);
    RtlZeroMemory(dev->log + dev->logUsed + sizeof record + length, size - sizeof record - length);
    dev->logUsed += size;
    ++dev->logEntries;
}

static ULONG SimLogOffset(SIM_DEVICE* dev, ULONG index)
{
    ULONG i = 0, offset = 0;
    if (dev->logCursorIndex <= index && dev->logCursorOffset <= dev->logUsed) {
        i = dev->logCursorIndex;
        offset = dev->logCursorOffset;
    }
    while (i < index && offset < dev->logUsed) {
        SimLogRecord record;
        SimCopy(&record, dev->log + offset, sizeof record);
        offset += SIM_LOG_RECORD_SIZE(record.length);
        ++i;
    }
    dev->logCursorIndex = i;
    dev->logCursorOffset = offset;
    return offset;
}

static NTSTATUS SimLogRead(SIM_DEVICE* dev, ULONG first, UCHAR* out, ULONG outLength,
                           ULONG_PTR* information)
{
    SimLogPage page;
    ULONG offset, at = sizeof page;
    if (outLength < sizeof page)
        return STATUS_BUFFER_TOO_SMALL;
    page.total = dev->logEntries;
    page.first = first < dev->logEntries ? first : dev->logEntries;
    page.count = 0;
    page.needed = 0;
    offset = SimLogOffset(dev, page.first);
    while (page.first + page.count < dev->logEntries) {
        SimLogRecord record;
        ULONG size;
        SimCopy(&record, dev->log + offset, sizeof record);
        size = SIM_LOG_RECORD_SIZE(record.length);
        if (at + size > outLength) {
            if (page.count == 0)
                page.needed = sizeof page + size;
            break;
        }
        SimCopy(out + at, dev->log + offset, size);
        at += size;
        offset += size;
        ++page.count;
    }
    SimCopy(out, &page, sizeof page);
    *information = at;
    return STATUS_SUCCESS;
}

/* ---- devices ---------------------------------------------------------------------------- */

static ULONG SimAppendText(WCHAR* to, ULONG at, const WCHAR* text)
{
    while (*text && at < SIM_NAME_CHARS - 1)
        to[at++] = *text++;
    to[at] = 0;
    return at;
}

static ULONG SimAppendNumber(WCHAR* to, ULONG at, ULONG n)
{
    WCHAR digits[12];
    ULONG count = 0;
    do {
        digits[count++] = (WCHAR)(L'0' + n % 10);
        n /= 10;
    } while (n);
    while (count && at < SIM_NAME_CHARS - 1)
        to[at++] = digits[--count];
    to[at] = 0;
    return at;
}

static void SimFreeState(SIM_DEVICE* dev)
{
    SimLogFree(dev);
    SimQueueFree(&dev->queue);
    if (dev->reply)
        ExFreePoolWithTag(dev->reply, SIM_TAG);
    dev->reply = NULL;
    dev->replyLength = 0;
    if (dev->floodPattern)
        ExFreePoolWithTag(dev->floodPattern, SIM_TAG);
    dev->floodPattern = NULL;
    dev->floodOn = FALSE;
}

static NTSTATUS SimAddDevice(ULONG n)
{
    WCHAR nameBuffer[SIM_NAME_CHARS];
    UNICODE_STRING name;
    PDEVICE_OBJECT object;
    SIM_DEVICE* dev;
    NTSTATUS status;
    ULONG at;
    KIRQL irql;

    if (n < 1 || n > 255)
        return STATUS_INVALID_PARAMETER;
    if (g.devices[n])
        return STATUS_OBJECT_NAME_COLLISION;

    at = SimAppendText(nameBuffer, 0, L"\\Device\\");
    at = SimAppendText(nameBuffer, at, g.ops->deviceName);
    at = SimAppendNumber(nameBuffer, at, n);
    at = SimAppendText(nameBuffer, at, L"_");
    SimAppendNumber(nameBuffer, at, ++g.generation);
    RtlInitUnicodeString(&name, nameBuffer);
    status = IoCreateDevice(g.driver, sizeof(SIM_DEVICE), &name, FILE_DEVICE_UNKNOWN, 0, FALSE,
                            &object);
    if (!NT_SUCCESS(status))
        return status;

    dev = (SIM_DEVICE*)object->DeviceExtension;
    RtlZeroMemory(dev, sizeof *dev);
    dev->kind = SimKindDevice;
    dev->number = n;
    dev->self = object;
    InitializeListHead(&dev->waiting);
    InitializeListHead(&dev->refused);
    g.ops->initDevice(dev);

    at = SimAppendText(dev->linkBuffer, 0, L"\\DosDevices\\");
    at = SimAppendText(dev->linkBuffer, at, g.ops->deviceName);
    SimAppendNumber(dev->linkBuffer, at, n);
    RtlInitUnicodeString(&dev->linkName, dev->linkBuffer);
    status = IoCreateSymbolicLink(&dev->linkName, &name);
    if (!NT_SUCCESS(status)) {
        SimFreeState(dev);
        IoDeleteDevice(object);
        return status;
    }
    dev->linked = TRUE;
    object->Flags &= ~DO_DEVICE_INITIALIZING;

    SimLock(&irql);
    g.devices[n] = dev;
    SimUnlock(irql);
    return STATUS_SUCCESS;
}

/* Unplugs a device: the name goes at once; the object stays while a handle is open on it
   (Wine's winedevice still touches a device object after its close request), and every
   request on that handle fails. Runs on the dispatch thread. */
static void SimRemoveDevice(SIM_DEVICE* dev)
{
    KIRQL irql;
    SimLock(&irql);
    dev->removed = TRUE;
    if (g.devices[dev->number] == dev)
        g.devices[dev->number] = NULL;
    SimFinishParked(dev, NULL, STATUS_DEVICE_NOT_CONNECTED);
    SimFreeState(dev);
    SimUnlock(irql);
    SimFlush();
    if (dev->linked) {
        IoDeleteSymbolicLink(&dev->linkName);
        dev->linked = FALSE;
    }
}

/* Deletes unplugged device objects that no handle uses any more. Runs on the dispatch thread,
   never inside a request of the device it deletes. */
static void SimReap(void)
{
    PDEVICE_OBJECT object = g.driver->DeviceObject;
    while (object) {
        PDEVICE_OBJECT next = object->NextDevice;
        SIM_DEVICE* dev = (SIM_DEVICE*)object->DeviceExtension;
        if (dev->kind == SimKindDevice && dev->removed && !dev->openFile &&
            IsListEmpty(&dev->refused))
            IoDeleteDevice(object);
        object = next;
    }
}

static void SimRemoveAll(void)
{
    ULONG n;
    for (n = 1; n < 256; ++n)
        if (g.devices[n])
            SimRemoveDevice(g.devices[n]);
}

/* ---- failure rules ---------------------------------------------------------------------- */

static SIM_RULE* SimFindRule(SIM_DEVICE* dev, ULONG code)
{
    ULONG i;
    for (i = 0; i < SIM_MAX_RULES; ++i)
        if (dev->rules[i].used && dev->rules[i].code == code)
            return &dev->rules[i];
    return NULL;
}

/* The injected status for a request of this code, or STATUS_SUCCESS. */
static NTSTATUS SimInjected(SIM_DEVICE* dev, ULONG code)
{
    SIM_RULE* rule = SimFindRule(dev, code);
    NTSTATUS status;
    if (!rule)
        return STATUS_SUCCESS;
    if (rule->after) {
        --rule->after;
        return STATUS_SUCCESS;
    }
    status = rule->status;
    if (!(rule->flags & SIM_FAIL_STICKY))
        rule->used = FALSE;
    return status;
}

static NTSTATUS SimSetRule(SIM_DEVICE* dev, const SimCommand* c)
{
    SIM_RULE* rule = SimFindRule(dev, c->code);
    ULONG i;
    if (c->status >= 0)
        return STATUS_INVALID_PARAMETER;
    for (i = 0; !rule && i < SIM_MAX_RULES; ++i)
        if (!dev->rules[i].used)
            rule = &dev->rules[i];
    if (!rule)
        return STATUS_INSUFFICIENT_RESOURCES;
    rule->used = TRUE;
    rule->code = c->code;
    rule->status = c->status;
    rule->after = c->value;
    rule->flags = c->flags;
    return STATUS_SUCCESS;
}

/* ---- waiting reads ---------------------------------------------------------------------- */

/* Data of a read or write: the devices do neither buffered nor direct I/O, so it is the
   caller's buffer as the I/O manager passed it. */
static UCHAR* SimIrpData(PIRP irp)
{
    return (UCHAR*)(irp->UserBuffer ? irp->UserBuffer : irp->AssociatedIrp.SystemBuffer);
}

static void SimIrpOutput(PIRP irp, UCHAR** buffer, ULONG* length)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (stack->MajorFunction == IRP_MJ_READ) {
        *buffer = SimIrpData(irp);
        *length = stack->Parameters.Read.Length;
    } else {
        *buffer = (UCHAR*)irp->AssociatedIrp.SystemBuffer;
        *length = stack->Parameters.DeviceIoControl.OutputBufferLength;
    }
}

void SimServeWaiting(SIM_DEVICE* dev)
{
    PLIST_ENTRY e = dev->waiting.Flink;
    while (e != &dev->waiting && dev->queue.count) {
        PIRP irp = CONTAINING_RECORD(e, IRP, Tail.Overlay.ListEntry);
        e = e->Flink;
        if (SimUnpark(irp)) {
            UCHAR* buffer;
            ULONG length;
            SimIrpOutput(irp, &buffer, &length);
            SimFinish(irp, STATUS_SUCCESS, SimQueueGet(&dev->queue, buffer, length));
        }
    }
}

/* ---- timer thread ----------------------------------------------------------------------- */

static VOID NTAPI SimTimerThread(PVOID context)
{
    while (!g.stopping) {
        LARGE_INTEGER timeout;
        PLARGE_INTEGER wait = NULL;
        ULONG now = SimNowMs();
        PLIST_ENTRY e;
        KIRQL irql;

        SimLock(&irql);
        e = g.delayed.Flink;
        while (e != &g.delayed) {
            PIRP irp = CONTAINING_RECORD(e, IRP, Tail.Overlay.ListEntry);
            LONG left = (LONG)((ULONG)(ULONG_PTR)irp->Tail.Overlay.DriverContext[CTX_DUE] - now);
            e = e->Flink;
            if (left > 0) {
                if (!wait || timeout.QuadPart < -10000LL * left) {
                    timeout.QuadPart = -10000LL * left;
                    wait = &timeout;
                }
                continue;
            }
            if (SimUnpark(irp))
                InsertTailList(&g.done, &irp->Tail.Overlay.ListEntry); /* status set on arrival */
        }
        SimUnlock(irql);
        SimFlush();
        KeWaitForSingleObject(&g.wake, Executive, KernelMode, FALSE, wait);
    }
    PsTerminateSystemThread(STATUS_SUCCESS);
}

/* ---- dispatch --------------------------------------------------------------------------- */

static PFILE_OBJECT SimIrpFile(PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    return stack->FileObject ? stack->FileObject : irp->Tail.Overlay.OriginalFileObject;
}

static SIM_REFUSED* SimFindRefused(SIM_DEVICE* dev, PFILE_OBJECT file)
{
    PLIST_ENTRY e;
    for (e = dev->refused.Flink; e != &dev->refused; e = e->Flink) {
        SIM_REFUSED* r = CONTAINING_RECORD(e, SIM_REFUSED, entry);
        if (r->file == file)
            return r;
    }
    return NULL;
}

/* Exclusive open: a second handle while one is open is refused with a sharing violation. */
static NTSTATUS SimCreate(SIM_DEVICE* dev, PIRP irp)
{
    PFILE_OBJECT file = SimIrpFile(irp);
    SIM_REFUSED* refusal;
    NTSTATUS status;
    KIRQL irql;
    if (dev->kind == SimKindControl)
        return STATUS_SUCCESS;
    refusal = (SIM_REFUSED*)ExAllocatePoolWithTag(NonPagedPool, sizeof *refusal, SIM_TAG);
    SimLock(&irql);
    if (dev->removed)
        status = STATUS_NO_SUCH_DEVICE;
    else if (dev->openFile)
        status = STATUS_SHARING_VIOLATION;
    else
        status = SimInjected(dev, SIM_REQ_CREATE);
    if (NT_SUCCESS(status)) {
        dev->openFile = file;
    } else if (refusal) {
        refusal->file = file;
        refusal->status = status;
        InsertTailList(&dev->refused, &refusal->entry);
        refusal = NULL;
    }
    SimUnlock(irql);
    if (refusal)
        ExFreePoolWithTag(refusal, SIM_TAG);
    return status;
}

static NTSTATUS SimClose(SIM_DEVICE* dev, PIRP irp)
{
    PFILE_OBJECT file = SimIrpFile(irp);
    SIM_REFUSED* refusal;
    KIRQL irql;
    if (dev->kind == SimKindControl)
        return STATUS_SUCCESS;
    SimLock(&irql);
    SimFinishParked(dev, file, STATUS_CANCELLED);
    if (dev->openFile == file)
        dev->openFile = NULL;
    refusal = SimFindRefused(dev, file);
    if (refusal)
        RemoveEntryList(&refusal->entry);
    SimUnlock(irql);
    SimFlush();
    if (refusal)
        ExFreePoolWithTag(refusal, SIM_TAG);
    return STATUS_SUCCESS;
}

/* A read, write or ioctl on a simulated device. Returns STATUS_PENDING when the IRP was
   parked; otherwise the IRP has been finished. */
static NTSTATUS SimDeviceRequest(SIM_DEVICE* dev, PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    NTSTATUS status;
    ULONG_PTR information = 0;
    ULONG code = 0;
    SIM_REFUSED* refusal;
    KIRQL irql;

    SimLock(&irql);
    refusal = SimFindRefused(dev, SimIrpFile(irp));
    if (refusal) {
        status = refusal->status;
    } else if (dev->removed) {
        status = STATUS_DEVICE_NOT_CONNECTED;
    } else {
        switch (stack->MajorFunction) {
        case IRP_MJ_READ: {
            ULONG length = stack->Parameters.Read.Length;
            code = SIM_REQ_READ;
            if (!dev->floodOn)
                SimLogAdd(dev, code, (const UCHAR*)&length, sizeof length);
            break;
        }
        case IRP_MJ_WRITE:
            code = SIM_REQ_WRITE;
            SimLogAdd(dev, code, SimIrpData(irp), stack->Parameters.Write.Length);
            break;
        default:
            code = stack->Parameters.DeviceIoControl.IoControlCode;
            SimLogAdd(dev, code, (const UCHAR*)irp->AssociatedIrp.SystemBuffer,
                      stack->Parameters.DeviceIoControl.InputBufferLength);
            break;
        }
        status = SimInjected(dev, code);
        if (NT_SUCCESS(status)) {
            if (code == SIM_REQ_READ)
                status = g.ops->read(dev, SimIrpData(irp), stack->Parameters.Read.Length,
                                     &information);
            else if (code == SIM_REQ_WRITE)
                status = g.ops->write(dev, SimIrpData(irp), stack->Parameters.Write.Length,
                                      &information);
            else
                status = g.ops->deviceControl(dev, code, (UCHAR*)irp->AssociatedIrp.SystemBuffer,
                                              stack->Parameters.DeviceIoControl.InputBufferLength,
                                              stack->Parameters.DeviceIoControl.OutputBufferLength,
                                              &information);
        }
    }

    if (status == SIM_WAIT) {
        SimPark(&dev->waiting, irp, dev, 0);
        status = STATUS_PENDING;
    } else if (dev->pendingOn && !dev->removed && !refusal) {
        irp->IoStatus.Status = status;
        irp->IoStatus.Information = NT_SUCCESS(status) ? information : 0;
        if (SimPark(&g.delayed, irp, dev, SimNowMs() + dev->pendingMs))
            KeSetEvent(&g.wake, IO_NO_INCREMENT, FALSE);
        status = STATUS_PENDING;
    } else {
        SimFinish(irp, status, information);
    }
    SimUnlock(irql);
    SimFlush();
    return status;
}

static NTSTATUS SimCommonControl(SIM_DEVICE* dev, ULONG code, const SimCommand* c, UCHAR* out,
                                 ULONG outLength, ULONG_PTR* information)
{
    switch (code) {
    case SIM_IOCTL_SET_PENDING:
        dev->pendingOn = (c->flags & SIM_PENDING_ON) != 0;
        dev->pendingMs = c->value;
        return STATUS_SUCCESS;
    case SIM_IOCTL_SET_BLOCKING:
        dev->blocking = c->value != 0;
        if (!dev->blocking) {
            /* Reads that were waiting give up with nothing, as they would have on arrival. */
            PLIST_ENTRY e = dev->waiting.Flink;
            while (e != &dev->waiting) {
                PIRP irp = CONTAINING_RECORD(e, IRP, Tail.Overlay.ListEntry);
                e = e->Flink;
                if (SimUnpark(irp))
                    SimFinish(irp, STATUS_SUCCESS, 0);
            }
        }
        return STATUS_SUCCESS;
    case SIM_IOCTL_FAIL: return SimSetRule(dev, c);
    case SIM_IOCTL_CLEAR_FAILURES:
        RtlZeroMemory(dev->rules, sizeof dev->rules);
        return STATUS_SUCCESS;
    case SIM_IOCTL_CLEAR_LOG:
        SimLogFree(dev);
        dev->logDropped = 0;
        return STATUS_SUCCESS;
    case SIM_IOCTL_READ_LOG: return SimLogRead(dev, c->value, out, outLength, information);
    case SIM_IOCTL_GET_STATE: {
        SimState s;
        ULONG i;
        PLIST_ENTRY e;
        if (outLength < sizeof s)
            return STATUS_BUFFER_TOO_SMALL;
        RtlZeroMemory(&s, sizeof s);
        s.open = dev->openFile != NULL;
        s.storedNumber = dev->storedNumber;
        s.portPattern = dev->portPattern;
        s.portWrites = dev->portWrites;
        if (g.ops->byteStream)
            s.received = dev->queue.count;
        else
            s.loopQueued = dev->queue.count;
        s.logEntries = dev->logEntries;
        s.logDropped = dev->logDropped;
        s.pendingOn = dev->pendingOn;
        s.pendingMs = dev->pendingMs;
        s.blocking = dev->blocking;
        for (e = dev->waiting.Flink; e != &dev->waiting; e = e->Flink)
            ++s.waitingReads;
        s.floodOn = dev->floodOn;
        s.floodBytes = dev->floodBytes;
        for (i = 0; i < SIM_MAX_RULES; ++i)
            s.failRules += dev->rules[i].used;
        for (i = 0; i < 3; ++i) {
            s.version[i] = dev->version[i];
            s.serial[i] = dev->serial[i];
        }
        SimCopy(out, &s, sizeof s);
        *information = sizeof s;
        return STATUS_SUCCESS;
    }
    default: return g.ops->control(dev, code, c, (const UCHAR*)(c + 1));
    }
}

/* A request on the control device. Device additions and removals happen here, on the
   dispatch thread, outside the lock: they call into the object manager. */
static NTSTATUS SimControlRequest(PIRP irp, ULONG_PTR* information)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    UCHAR* buffer = (UCHAR*)irp->AssociatedIrp.SystemBuffer;
    SimCommand c;
    SIM_DEVICE* dev;
    UCHAR* data = NULL;
    NTSTATUS status;
    KIRQL irql;

    SimReap();
    if (code == SIM_IOCTL_RESET) {
        SimRemoveAll();
        SimReap();
        return STATUS_SUCCESS;
    }
    if (code == SIM_IOCTL_LIST_DEVICES) {
        ULONG n;
        if (outLength < 32)
            return STATUS_BUFFER_TOO_SMALL;
        RtlZeroMemory(buffer, 32);
        SimLock(&irql);
        for (n = 1; n < 256; ++n)
            if (g.devices[n])
                buffer[n / 8] |= (UCHAR)(1u << (n % 8));
        SimUnlock(irql);
        *information = 32;
        return STATUS_SUCCESS;
    }
    if (code < SIM_IOCTL_RESET || code > SIM_IOCTL_SET_FLOOD)
        return STATUS_INVALID_DEVICE_REQUEST;
    if (inLength < sizeof c)
        return STATUS_INVALID_PARAMETER;
    SimCopy(&c, buffer, sizeof c);
    if (c.length > SIM_DATA_MAX || inLength != sizeof c + c.length)
        return STATUS_INVALID_PARAMETER;
    if (c.device < 1 || c.device > 255)
        return STATUS_INVALID_PARAMETER;

    if (code == SIM_IOCTL_ADD_DEVICE)
        return SimAddDevice(c.device);
    if (code == SIM_IOCTL_REMOVE_DEVICE) {
        if (!g.devices[c.device])
            return STATUS_NO_SUCH_DEVICE;
        SimRemoveDevice(g.devices[c.device]);
        SimReap();
        return STATUS_SUCCESS;
    }

    /* The rest works on a copy of the command, so that the output may reuse the buffer. */
    if (c.length) {
        data = (UCHAR*)ExAllocatePoolWithTag(NonPagedPool, sizeof c + c.length, SIM_TAG);
        if (!data)
            return STATUS_INSUFFICIENT_RESOURCES;
        SimCopy(data, buffer, sizeof c + c.length);
    }
    SimLock(&irql);
    dev = g.devices[c.device];
    if (!dev)
        status = STATUS_NO_SUCH_DEVICE;
    else
        status = SimCommonControl(dev, code, data ? (const SimCommand*)data : &c, buffer, outLength,
                                  information);
    SimUnlock(irql);
    SimFlush();
    if (data)
        ExFreePoolWithTag(data, SIM_TAG);
    return status;
}

static NTSTATUS NTAPI SimDispatch(PDEVICE_OBJECT object, PIRP irp)
{
    SIM_DEVICE* dev = (SIM_DEVICE*)object->DeviceExtension;
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    NTSTATUS status;
    ULONG_PTR information = 0;

    switch (stack->MajorFunction) {
    case IRP_MJ_CREATE: status = SimCreate(dev, irp); break;
    case IRP_MJ_CLOSE:
    case IRP_MJ_CLEANUP: status = SimClose(dev, irp); break;
    case IRP_MJ_DEVICE_CONTROL:
        if (dev->kind == SimKindControl) {
            status = SimControlRequest(irp, &information);
            break;
        }
        return SimDeviceRequest(dev, irp);
    case IRP_MJ_READ:
    case IRP_MJ_WRITE:
        if (dev->kind == SimKindControl) {
            status = STATUS_INVALID_DEVICE_REQUEST;
            break;
        }
        return SimDeviceRequest(dev, irp);
    default: status = STATUS_INVALID_DEVICE_REQUEST; break;
    }
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = NT_SUCCESS(status) ? information : 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

/* ---- load and unload -------------------------------------------------------------------- */

static void SimStopThread(void)
{
    if (!g.thread)
        return;
    InterlockedExchange(&g.stopping, 1);
    KeSetEvent(&g.wake, IO_NO_INCREMENT, FALSE);
    ZwWaitForSingleObject(g.thread, FALSE, NULL);
    ZwClose(g.thread);
    g.thread = NULL;
}

static VOID NTAPI SimUnload(PDRIVER_OBJECT driver)
{
    PDEVICE_OBJECT object;
    SimStopThread();
    SimRemoveAll();
    if (g.controlLinked)
        IoDeleteSymbolicLink(&g.controlLink);
    g.controlLinked = FALSE;
    /* Whatever is left (the control device, unplugged devices with a handle open) goes now:
       the driver is leaving. */
    while ((object = driver->DeviceObject) != NULL) {
        SIM_DEVICE* dev = (SIM_DEVICE*)object->DeviceExtension;
        while (!IsListEmpty(&dev->refused))
            ExFreePoolWithTag(CONTAINING_RECORD(RemoveHeadList(&dev->refused), SIM_REFUSED, entry),
                              SIM_TAG);
        IoDeleteDevice(object);
    }
    g.control = NULL;
}

NTSTATUS SimDriverEntry(PDRIVER_OBJECT driver, const SIM_OPS* ops)
{
    WCHAR nameBuffer[SIM_NAME_CHARS];
    UNICODE_STRING name;
    SIM_DEVICE* dev;
    NTSTATUS status;
    ULONG i;

    RtlZeroMemory(&g, sizeof g);
    g.ops = ops;
    g.driver = driver;
    KeInitializeSpinLock(&g.lock);
    InitializeListHead(&g.delayed);
    InitializeListHead(&g.done);
    KeInitializeEvent(&g.wake, SynchronizationEvent, FALSE);

    for (i = 0; i <= IRP_MJ_MAXIMUM_FUNCTION; ++i)
        driver->MajorFunction[i] = SimDispatch;
    driver->DriverUnload = SimUnload;

    SimAppendText(nameBuffer, SimAppendText(nameBuffer, 0, L"\\Device\\"), ops->controlName);
    RtlInitUnicodeString(&name, nameBuffer);
    status = IoCreateDevice(driver, sizeof(SIM_DEVICE), &name, FILE_DEVICE_UNKNOWN, 0, FALSE,
                            &g.control);
    if (!NT_SUCCESS(status))
        return status;
    dev = (SIM_DEVICE*)g.control->DeviceExtension;
    RtlZeroMemory(dev, sizeof *dev);
    dev->kind = SimKindControl;
    dev->self = g.control;
    InitializeListHead(&dev->waiting);
    InitializeListHead(&dev->refused);

    SimAppendText(g.controlLinkBuffer, SimAppendText(g.controlLinkBuffer, 0, L"\\DosDevices\\"),
                  ops->controlName);
    RtlInitUnicodeString(&g.controlLink, g.controlLinkBuffer);
    status = IoCreateSymbolicLink(&g.controlLink, &name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(g.control);
        g.control = NULL;
        return status;
    }
    g.controlLinked = TRUE;

    status = PsCreateSystemThread(&g.thread, THREAD_ALL_ACCESS, NULL, NULL, NULL, SimTimerThread,
                                  NULL);
    if (!NT_SUCCESS(status)) {
        g.thread = NULL;
        IoDeleteSymbolicLink(&g.controlLink);
        g.controlLinked = FALSE;
        IoDeleteDevice(g.control);
        g.control = NULL;
        return status;
    }
    g.control->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}
