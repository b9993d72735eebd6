/* joysim.sys: a simulated game controller. A HID minidriver under Wine's hidclass.sys, so that
   winmm (through dinput and the HID stack) sees a joystick; plus a control device through which
   tests and simctl change its state. Protocol and layout rules: JoySimControl.h.

   Input reports are kept pending (IOCTL_HID_READ_REPORT) until the state changes; the state is
   also sent again every 100 ms, so that a handle opened later reads the current state and not
   the centre. */
#include <ntddk.h>

#include "JoySimControl.h"

NTSYSAPI NTSTATUS NTAPI ZwWaitForSingleObject(HANDLE handle, BOOLEAN alertable,
                                              PLARGE_INTEGER timeout);

/* The HID minidriver interface. mingw-w64 has no hidport.h, and its hidclass.h carries
   placeholder request codes: these are the real ones. */
#define JOY_HID_CODE(id)              CTL_CODE(FILE_DEVICE_KEYBOARD, (id), METHOD_NEITHER, FILE_ANY_ACCESS)
#define JOY_HID_GET_DEVICE_DESCRIPTOR JOY_HID_CODE(0)
#define JOY_HID_GET_REPORT_DESCRIPTOR JOY_HID_CODE(1)
#define JOY_HID_READ_REPORT           JOY_HID_CODE(2)
#define JOY_HID_GET_STRING            JOY_HID_CODE(4)
#define JOY_HID_GET_DEVICE_ATTRIBUTES JOY_HID_CODE(9)

#define JOY_HID_REVISION              1
#define JOY_STRING_MANUFACTURER       14
#define JOY_STRING_PRODUCT            15
#define JOY_STRING_SERIAL             16
/* Wine 8.0's hidclass asks with the numbers of its own header: 1, 2 and 3. */
#define JOY_WINE_STRING_MANUFACTURER  1
#define JOY_WINE_STRING_PRODUCT       2
#define JOY_WINE_STRING_SERIAL        3

typedef struct JOY_HID_REGISTRATION
{
    ULONG Revision;
    PDRIVER_OBJECT DriverObject;
    PUNICODE_STRING RegistryPath;
    ULONG DeviceExtensionSize;
    BOOLEAN DevicesArePolled;
    UCHAR Reserved[3];
} JOY_HID_REGISTRATION;

/* What hidclass puts at the start of the extension of each device it creates for us. */
typedef struct JOY_HID_EXTENSION
{
    PDEVICE_OBJECT PhysicalDeviceObject;
    PDEVICE_OBJECT NextDeviceObject;
    PVOID MiniDeviceExtension;
} JOY_HID_EXTENSION;

#pragma pack(push, 1)
typedef struct JOY_HID_DESCRIPTOR
{
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdHID;
    UCHAR bCountry;
    UCHAR bNumDescriptors;
    UCHAR bReportType;
    USHORT wReportLength;
} JOY_HID_DESCRIPTOR;
#pragma pack(pop)

typedef struct JOY_HID_ATTRIBUTES
{
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
    USHORT Reserved[11];
} JOY_HID_ATTRIBUTES;

NTSTATUS NTAPI HidRegisterMinidriver(JOY_HID_REGISTRATION* registration);

#define JOY_DESCRIPTOR_MAX 128
#define JOY_REPORT_MAX     32

static struct
{
    PDEVICE_OBJECT control;
    UNICODE_STRING controlLink;
    BOOLEAN controlLinked;
    WCHAR parametersPath[256];
    /* hidclass's handlers, which every device but the control device goes to */
    PDRIVER_DISPATCH hidCreate;
    PDRIVER_DISPATCH hidClose;
    PDRIVER_DISPATCH hidControl;

    KSPIN_LOCK lock; /* guards everything below */
    BOOLEAN started;
    JoySimLayout layout;
    JoySimState state;
    BOOLEAN changed; /* a state the HID stack has not been sent yet */
    PIRP pendingRead;
    UCHAR descriptor[JOY_DESCRIPTOR_MAX];
    ULONG descriptorLength;

    KEVENT wake;
    HANDLE thread;
    volatile LONG stopping;
} g;

static void JoyCopy(void* to, const void* from, ULONG length)
{
    if (length)
        RtlCopyMemory(to, from, length);
}

static NTSTATUS JoyComplete(PIRP irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = NT_SUCCESS(status) ? information : 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

/* ---- layout, descriptor and report ------------------------------------------------------ */

static ULONG JoyReadParameter(HANDLE key, const WCHAR* name, ULONG fallback)
{
    UNICODE_STRING valueName;
    UCHAR buffer[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + sizeof(ULONG)];
    PKEY_VALUE_PARTIAL_INFORMATION info = (PKEY_VALUE_PARTIAL_INFORMATION)buffer;
    ULONG length = 0;
    RtlInitUnicodeString(&valueName, name);
    if (!NT_SUCCESS(ZwQueryValueKey(key, &valueName, KeyValuePartialInformation, buffer,
                                    sizeof buffer, &length)))
        return fallback;
    if (info->Type != REG_DWORD || info->DataLength != sizeof(ULONG))
        return fallback;
    return *(ULONG*)info->Data;
}

/* The layout simctl left in the service's Parameters key; without one, the largest. */
static JoySimLayout JoyReadLayout(void)
{
    JoySimLayout layout = {JOYSIM_MAX_AXES, JOYSIM_MAX_BUTTONS, 1};
    UNICODE_STRING path;
    OBJECT_ATTRIBUTES attributes;
    HANDLE key;
    RtlInitUnicodeString(&path, g.parametersPath);
    InitializeObjectAttributes(&attributes, &path, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL,
                               NULL);
    if (NT_SUCCESS(ZwOpenKey(&key, KEY_READ, &attributes))) {
        layout.axes = JoyReadParameter(key, L"Axes", layout.axes);
        layout.buttons = JoyReadParameter(key, L"Buttons", layout.buttons);
        layout.hat = JoyReadParameter(key, L"Hat", layout.hat) ? 1 : 0;
        ZwClose(key);
    }
    if (layout.axes < JOYSIM_MIN_AXES)
        layout.axes = JOYSIM_MIN_AXES;
    if (layout.axes > JOYSIM_MAX_AXES)
        layout.axes = JOYSIM_MAX_AXES;
    if (layout.buttons > JOYSIM_MAX_BUTTONS)
        layout.buttons = JOYSIM_MAX_BUTTONS;
    return layout;
}

static void JoyBuildDescriptor(const JoySimLayout* layout)
{
    /* Generic desktop X, Y, Z, Rz, Slider, Rx: winmm's X, Y, Z, R, U, V. */
    static const UCHAR axisUsage[JOYSIM_MAX_AXES] = {0x30, 0x31, 0x32, 0x35, 0x36, 0x33};
    UCHAR* d = g.descriptor;
    ULONG n = 0, i;
#define PUT(b) (d[n++] = (UCHAR)(b))
    PUT(0x05);
    PUT(0x01); /* usage page: generic desktop */
    PUT(0x09);
    PUT(0x04); /* usage: joystick */
    PUT(0xA1);
    PUT(0x01); /* collection: application */
    for (i = 0; i < layout->axes; ++i) {
        PUT(0x09);
        PUT(axisUsage[i]);
    }
    PUT(0x15);
    PUT(0x00); /* logical minimum 0 */
    PUT(0x27);
    PUT(0xFF);
    PUT(0xFF);
    PUT(0x00);
    PUT(0x00); /* logical maximum 65535 */
    PUT(0x75);
    PUT(16); /* report size */
    PUT(0x95);
    PUT(layout->axes); /* report count */
    PUT(0x81);
    PUT(0x02); /* input: data, variable, absolute */
    if (layout->hat) {
        PUT(0x09);
        PUT(0x39); /* usage: hat switch */
        PUT(0x15);
        PUT(0x00);
        PUT(0x25);
        PUT(0x07); /* eight directions, 8 = centred (out of range) */
        PUT(0x35);
        PUT(0x00);
        PUT(0x46);
        PUT(0x3B);
        PUT(0x01); /* physical 0 to 315 degrees */
        PUT(0x65);
        PUT(0x14); /* unit: degrees */
        PUT(0x75);
        PUT(4);
        PUT(0x95);
        PUT(1);
        PUT(0x81);
        PUT(0x42); /* input: data, variable, absolute, null state */
        PUT(0x65);
        PUT(0x00);
        PUT(0x45);
        PUT(0x00);
        PUT(0x75);
        PUT(4);
        PUT(0x95);
        PUT(1);
        PUT(0x81);
        PUT(0x01); /* padding */
    }
    if (layout->buttons) {
        PUT(0x05);
        PUT(0x09); /* usage page: button */
        PUT(0x19);
        PUT(1);
        PUT(0x29);
        PUT(layout->buttons);
        PUT(0x15);
        PUT(0x00);
        PUT(0x25);
        PUT(0x01);
        PUT(0x75);
        PUT(1);
        PUT(0x95);
        PUT(layout->buttons);
        PUT(0x81);
        PUT(0x02);
        if (layout->buttons % 8) {
            PUT(0x75);
            PUT(1);
            PUT(0x95);
            PUT(8 - layout->buttons % 8);
            PUT(0x81);
            PUT(0x01);
        }
    }
    PUT(0xC0);
#undef PUT
    g.descriptorLength = n;
}

/* The input report of the current state (lock held). */
static ULONG JoyBuildReport(UCHAR* report)
{
    ULONG n = 0, i;
    for (i = 0; i < g.layout.axes; ++i) {
        report[n++] = (UCHAR)(g.state.axes[i] & 0xFF);
        report[n++] = (UCHAR)(g.state.axes[i] >> 8);
    }
    if (g.layout.hat)
        report[n++] = (UCHAR)(g.state.pov == JOYSIM_POV_CENTERED ? 8 : g.state.pov / 4500);
    for (i = 0; i < (g.layout.buttons + 7) / 8; ++i) {
        ULONG mask = g.layout.buttons - 8 * i >= 8 ? 0xFF : (1u << (g.layout.buttons - 8 * i)) - 1;
        report[n++] = (UCHAR)((g.state.buttons >> (8 * i)) & mask);
    }
    return n;
}

/* Takes the pending read with the current state (lock held); the caller completes it. */
static PIRP JoyTakeRead(ULONG_PTR* information)
{
    PIRP irp = g.pendingRead;
    IO_STACK_LOCATION* stack;
    UCHAR report[JOY_REPORT_MAX];
    ULONG length;
    if (!irp)
        return NULL;
    g.pendingRead = NULL;
    g.changed = FALSE;
    stack = IoGetCurrentIrpStackLocation(irp);
    length = JoyBuildReport(report);
    if (stack->Parameters.DeviceIoControl.OutputBufferLength < length) {
        irp->IoStatus.Status = STATUS_BUFFER_TOO_SMALL;
        *information = 0;
        return irp;
    }
    JoyCopy(irp->UserBuffer, report, length);
    irp->IoStatus.Status = STATUS_SUCCESS;
    *information = length;
    return irp;
}

static VOID NTAPI JoyResendThread(PVOID context)
{
    LARGE_INTEGER period;
    period.QuadPart = -100LL * 10000; /* 100 ms */
    while (!g.stopping) {
        KIRQL irql;
        ULONG_PTR information = 0;
        PIRP irp;
        KeWaitForSingleObject(&g.wake, Executive, KernelMode, FALSE, &period);
        KeAcquireSpinLock(&g.lock, &irql);
        irp = JoyTakeRead(&information);
        KeReleaseSpinLock(&g.lock, irql);
        if (irp)
            JoyComplete(irp, irp->IoStatus.Status, information);
    }
    PsTerminateSystemThread(STATUS_SUCCESS);
}

/* ---- minidriver requests from hidclass ---------------------------------------------------- */

static NTSTATUS JoyGetString(PIRP irp, IO_STACK_LOCATION* stack)
{
    ULONG id = (ULONG)(ULONG_PTR)stack->Parameters.DeviceIoControl.Type3InputBuffer & 0xFFFF;
    ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    const WCHAR* text;
    ULONG bytes;
    switch (id) {
    case JOY_STRING_MANUFACTURER:
    case JOY_WINE_STRING_MANUFACTURER: text = L"Velmora"; break;
    case JOY_STRING_PRODUCT:
    case JOY_WINE_STRING_PRODUCT: text = L"Velmora simulated joystick"; break;
    case JOY_STRING_SERIAL:
    case JOY_WINE_STRING_SERIAL: text = L"0001"; break;
    default: return JoyComplete(irp, STATUS_INVALID_PARAMETER, 0);
    }
    for (bytes = sizeof(WCHAR); text[bytes / sizeof(WCHAR) - 1]; bytes += sizeof(WCHAR))
        ;
    if (outLength < bytes)
        return JoyComplete(irp, STATUS_BUFFER_TOO_SMALL, 0);
    JoyCopy(irp->UserBuffer, text, bytes);
    return JoyComplete(irp, STATUS_SUCCESS, bytes);
}

static NTSTATUS JoyReadReport(PIRP irp)
{
    KIRQL irql;
    PIRP ready = NULL, previous;
    ULONG_PTR information = 0;
    IoMarkIrpPending(irp);
    KeAcquireSpinLock(&g.lock, &irql);
    /* hidclass reads one report at a time: an older read here is stale. */
    previous = g.pendingRead;
    g.pendingRead = irp;
    if (g.changed)
        ready = JoyTakeRead(&information);
    KeReleaseSpinLock(&g.lock, irql);
    if (previous)
        JoyComplete(previous, STATUS_CANCELLED, 0);
    if (ready)
        JoyComplete(ready, ready->IoStatus.Status, information);
    return STATUS_PENDING;
}

static NTSTATUS NTAPI JoyInternalControl(PDEVICE_OBJECT device, PIRP irp)
{
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case JOY_HID_GET_DEVICE_DESCRIPTOR: {
        JOY_HID_DESCRIPTOR descriptor = {sizeof(JOY_HID_DESCRIPTOR), 0x21, 0x0100, 0, 1, 0x22, 0};
        if (outLength < sizeof descriptor)
            return JoyComplete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        descriptor.wReportLength = (USHORT)g.descriptorLength;
        JoyCopy(irp->UserBuffer, &descriptor, sizeof descriptor);
        return JoyComplete(irp, STATUS_SUCCESS, sizeof descriptor);
    }
    case JOY_HID_GET_REPORT_DESCRIPTOR:
        if (outLength < g.descriptorLength)
            return JoyComplete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        JoyCopy(irp->UserBuffer, g.descriptor, g.descriptorLength);
        return JoyComplete(irp, STATUS_SUCCESS, g.descriptorLength);
    case JOY_HID_GET_DEVICE_ATTRIBUTES: {
        JOY_HID_ATTRIBUTES attributes;
        if (outLength < sizeof attributes)
            return JoyComplete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        RtlZeroMemory(&attributes, sizeof attributes);
        attributes.Size = sizeof attributes;
        attributes.VendorID = 0x1209;
        attributes.ProductID = 0x4B58;
        attributes.VersionNumber = 0x0108;
        JoyCopy(irp->UserBuffer, &attributes, sizeof attributes);
        return JoyComplete(irp, STATUS_SUCCESS, sizeof attributes);
    }
    case JOY_HID_GET_STRING: return JoyGetString(irp, stack);
    case JOY_HID_READ_REPORT: return JoyReadReport(irp);
    default: return JoyComplete(irp, STATUS_NOT_SUPPORTED, 0);
    }
}

static NTSTATUS NTAPI JoyAddDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT device)
{
    KIRQL irql;
    JoySimLayout layout = JoyReadLayout();
    KeAcquireSpinLock(&g.lock, &irql);
    g.layout = layout;
    RtlZeroMemory(&g.state, sizeof g.state);
    g.state.axes[0] = g.state.axes[1] = g.state.axes[2] = 32767; /* a stick at rest is centred */
    g.state.axes[3] = g.state.axes[4] = g.state.axes[5] = 32767;
    g.state.pov = JOYSIM_POV_CENTERED;
    g.changed = TRUE;
    JoyBuildDescriptor(&layout);
    KeReleaseSpinLock(&g.lock, irql);
    return STATUS_SUCCESS;
}

static NTSTATUS NTAPI JoyPnp(PDEVICE_OBJECT device, PIRP irp)
{
    JOY_HID_EXTENSION* ext = (JOY_HID_EXTENSION*)device->DeviceExtension;
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    KIRQL irql;
    PIRP orphan = NULL;
    switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE:
        KeAcquireSpinLock(&g.lock, &irql);
        g.started = TRUE;
        KeReleaseSpinLock(&g.lock, irql);
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    case IRP_MN_SURPRISE_REMOVAL:
    case IRP_MN_REMOVE_DEVICE:
        KeAcquireSpinLock(&g.lock, &irql);
        g.started = FALSE;
        orphan = g.pendingRead;
        g.pendingRead = NULL;
        KeReleaseSpinLock(&g.lock, irql);
        if (orphan)
            JoyComplete(orphan, STATUS_DELETE_PENDING, 0);
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
    case IRP_MN_QUERY_STOP_DEVICE:
    case IRP_MN_CANCEL_STOP_DEVICE:
    case IRP_MN_STOP_DEVICE: irp->IoStatus.Status = STATUS_SUCCESS; break;
    default: break;
    }
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(ext->NextDeviceObject, irp);
}

/* ---- the control device ------------------------------------------------------------------ */

static NTSTATUS JoySetState(const UCHAR* buffer, ULONG length)
{
    JoySimState state;
    KIRQL irql;
    ULONG i;
    if (length != sizeof state)
        return STATUS_INVALID_PARAMETER;
    JoyCopy(&state, buffer, sizeof state);
    for (i = 0; i < JOYSIM_MAX_AXES; ++i)
        if (state.axes[i] > JOYSIM_AXIS_MAX)
            return STATUS_INVALID_PARAMETER;
    if (state.pov != JOYSIM_POV_CENTERED && (state.pov >= 36000 || state.pov % 4500))
        return STATUS_INVALID_PARAMETER;
    KeAcquireSpinLock(&g.lock, &irql);
    g.state = state;
    g.changed = TRUE;
    KeReleaseSpinLock(&g.lock, irql);
    KeSetEvent(&g.wake, IO_NO_INCREMENT, FALSE);
    return STATUS_SUCCESS;
}

static NTSTATUS NTAPI JoyCreateClose(PDEVICE_OBJECT device, PIRP irp)
{
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    if (device != g.control)
        return (stack->MajorFunction == IRP_MJ_CREATE ? g.hidCreate : g.hidClose)(device, irp);
    return JoyComplete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI JoyDeviceControl(PDEVICE_OBJECT device, PIRP irp)
{
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    UCHAR* buffer = (UCHAR*)irp->AssociatedIrp.SystemBuffer;
    KIRQL irql;
    JoySimLayout layout;
    BOOLEAN started;
    if (device != g.control)
        return g.hidControl(device, irp);
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case JOYSIM_IOCTL_SET_STATE:
        return JoyComplete(
            irp, JoySetState(buffer, stack->Parameters.DeviceIoControl.InputBufferLength), 0);
    case JOYSIM_IOCTL_GET_LAYOUT:
        if (stack->Parameters.DeviceIoControl.OutputBufferLength < sizeof layout)
            return JoyComplete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        KeAcquireSpinLock(&g.lock, &irql);
        layout = g.layout;
        started = g.started;
        KeReleaseSpinLock(&g.lock, irql);
        if (!started)
            return JoyComplete(irp, STATUS_NO_SUCH_DEVICE, 0);
        JoyCopy(buffer, &layout, sizeof layout);
        return JoyComplete(irp, STATUS_SUCCESS, sizeof layout);
    default: return JoyComplete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

/* ---- loading and unloading ----------------------------------------------------------------- */

static VOID NTAPI JoyUnload(PDRIVER_OBJECT driver)
{
    if (g.thread) {
        InterlockedExchange(&g.stopping, 1);
        KeSetEvent(&g.wake, IO_NO_INCREMENT, FALSE);
        ZwWaitForSingleObject(g.thread, FALSE, NULL);
        ZwClose(g.thread);
        g.thread = NULL;
    }
    if (g.controlLinked)
        IoDeleteSymbolicLink(&g.controlLink);
    g.controlLinked = FALSE;
    if (g.control)
        IoDeleteDevice(g.control);
    g.control = NULL;
}

static NTSTATUS JoyCreateControl(PDRIVER_OBJECT driver)
{
    UNICODE_STRING name;
    NTSTATUS status;
    RtlInitUnicodeString(&name, L"\\Device\\JoySimControl");
    status = IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &g.control);
    if (!NT_SUCCESS(status))
        return status;
    RtlInitUnicodeString(&g.controlLink, L"\\DosDevices\\JoySimControl");
    status = IoCreateSymbolicLink(&g.controlLink, &name);
    if (!NT_SUCCESS(status))
        return status;
    g.controlLinked = TRUE;
    g.control->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    static const WCHAR parameters[] = L"\\Parameters";
    JOY_HID_REGISTRATION registration;
    ULONG pathChars = registryPath->Length / sizeof(WCHAR);
    NTSTATUS status;

    RtlZeroMemory(&g, sizeof g);
    KeInitializeSpinLock(&g.lock);
    KeInitializeEvent(&g.wake, SynchronizationEvent, FALSE);
    if (pathChars + sizeof parameters / sizeof(WCHAR) > sizeof g.parametersPath / sizeof(WCHAR))
        return STATUS_NAME_TOO_LONG;
    JoyCopy(g.parametersPath, registryPath->Buffer, registryPath->Length);
    JoyCopy(g.parametersPath + pathChars, parameters, sizeof parameters);

    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = JoyInternalControl;
    driver->MajorFunction[IRP_MJ_PNP] = JoyPnp;
    driver->DriverExtension->AddDevice = JoyAddDevice;
    driver->DriverUnload = JoyUnload;

    RtlZeroMemory(&registration, sizeof registration);
    registration.Revision = JOY_HID_REVISION;
    registration.DriverObject = driver;
    registration.RegistryPath = registryPath;
    registration.DevicesArePolled = FALSE;
    status = HidRegisterMinidriver(&registration);
    if (!NT_SUCCESS(status))
        return status;

    /* hidclass has put its own handlers in place: the control device's requests are taken out
       before they reach them. */
    g.hidCreate = driver->MajorFunction[IRP_MJ_CREATE];
    g.hidClose = driver->MajorFunction[IRP_MJ_CLOSE];
    g.hidControl = driver->MajorFunction[IRP_MJ_DEVICE_CONTROL];
    driver->MajorFunction[IRP_MJ_CREATE] = JoyCreateClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = JoyCreateClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = JoyDeviceControl;

    status = JoyCreateControl(driver);
    if (NT_SUCCESS(status))
        status = PsCreateSystemThread(&g.thread, THREAD_ALL_ACCESS, NULL, NULL, NULL,
                                      JoyResendThread, NULL);
    if (!NT_SUCCESS(status)) {
        JoyUnload(driver);
        return status;
    }
    return STATUS_SUCCESS;
}
