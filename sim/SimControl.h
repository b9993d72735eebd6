/* Control protocol of the two simulated drivers (vlxsim.sys, krxsim.sys).

   Each driver has one control device besides its simulated devices: \\.\VlxSimControl for the
   command station, \\.\KrxSimControl for the feedback interface. The control device may be
   opened by any number of callers at once. Every request below goes to it with DeviceIoControl;
   the input starts with a SimCommand whose `device` names the simulated device (1 to 255) and is
   followed by `length` data bytes. Requests that make no sense for one driver (feeding bytes to a
   command station, say) fail with STATUS_INVALID_DEVICE_REQUEST; a device number that is not
   present fails with STATUS_NO_SUCH_DEVICE (Win32 error 433); a malformed input fails with
   STATUS_INVALID_PARAMETER (87).

   Opening a simulated device is exclusive: while one handle is open, the driver refuses every
   further open with STATUS_SHARING_VIOLATION (Win32 error 32). Under Wine a driver cannot make
   CreateFile itself fail (the server hands out the handle before the driver sees the open and
   ignores its answer), so there the refused handle is returned, and every request on it fails
   with the refusal's status (32, or the status injected for SIM_REQ_CREATE). The driver sees
   opens and closes in the order the program made them, so closing one handle and opening the
   next at once is never refused.

   Plain C: included by both drivers, the user-mode client, simctl and the tests. */
#ifndef SIMCONTROL_H
#define SIMCONTROL_H

#define SIM_CONTROL_VLX_PATH        "\\\\.\\VlxSimControl"
#define SIM_CONTROL_KRX_PATH        "\\\\.\\KrxSimControl"

/* FILE_DEVICE_UNKNOWN (0x22), METHOD_BUFFERED, FILE_ANY_ACCESS, functions from 0x900. */
#define SIM_CONTROL_CODE(function)  (0x00220000u | ((unsigned)(function) << 2))

/* No input needed. Removes every device, forgets every setting and log. A handle still open on
   a removed device keeps failing with STATUS_DEVICE_NOT_CONNECTED. */
#define SIM_IOCTL_RESET             SIM_CONTROL_CODE(0x900)
/* device. Adds the device with its defaults (see SIM_DEFAULT_*): \\.\VlxUsb<n> or \\.\KrxUsb<n>
   exists from now on. STATUS_OBJECT_NAME_COLLISION (183) when it is present already. */
#define SIM_IOCTL_ADD_DEVICE        SIM_CONTROL_CODE(0x901)
/* device. Unplugs it: the name is gone at once (opening gives ERROR_FILE_NOT_FOUND), a handle
   still open fails every request with STATUS_DEVICE_NOT_CONNECTED (1167), pending requests
   complete with that status. Its state and log are dropped. */
#define SIM_IOCTL_REMOVE_DEVICE     SIM_CONTROL_CODE(0x902)
/* vlx. device, data: the driver text, 0 to 64 bytes, no NUL. The device returns it followed by
   a NUL, cut to 64 bytes: a text of 64 bytes comes back without NUL. */
#define SIM_IOCTL_SET_DRIVER_TEXT   SIM_CONTROL_CODE(0x903)
/* vlx. device, value: the stored device number (0 to 255) that VLX_GET_DEVICE_NUMBER returns;
   VLX_SET_DEVICE_NUMBER changes it as a real device would. */
#define SIM_IOCTL_SET_DEVICE_NUMBER SIM_CONTROL_CODE(0x904)
/* vlx. device, data: 3 bytes major, minor, mode, returned by VLX_GET_FIRMWARE_VERSION. */
#define SIM_IOCTL_SET_VERSION       SIM_CONTROL_CODE(0x905)
/* vlx. device, data: 3 bytes, most significant first, returned by VLX_GET_SERIAL_NUMBER. */
#define SIM_IOCTL_SET_SERIAL        SIM_CONTROL_CODE(0x906)
/* krx. device, data: the raw reply to "v" CR, 0 to SIM_REPLY_MAX bytes, CR included by the
   caller (or left out, for a reply that never ends). */
#define SIM_IOCTL_SET_REPLY         SIM_CONTROL_CODE(0x907)
/* device, code: a request code of the device, or SIM_REQ_CREATE / SIM_REQ_READ / SIM_REQ_WRITE;
   status: the NTSTATUS to fail with (high bit set); value: K, the number of requests of that
   code that still pass first; flags: SIM_FAIL_STICKY. One rule per code and device: a new
   rule for the same code replaces the old one. Without SIM_FAIL_STICKY the rule fails one
   request and is gone; with it every request of that code fails from the (K+1)th on until
   SIM_IOCTL_CLEAR_FAILURES. A failed request is logged like any other and has no other
   effect. */
#define SIM_IOCTL_FAIL              SIM_CONTROL_CODE(0x908)
/* device. Forgets every failure rule of the device. */
#define SIM_IOCTL_CLEAR_FAILURES    SIM_CONTROL_CODE(0x909)
/* device, value: delay in ms, flags: SIM_PENDING_ON. On: every request of the device (not the
   open) is carried out on arrival but marked pending and completed by the driver's timer thread
   after the delay, with its result or its injected failure; CancelIoEx completes it at once with
   STATUS_CANCELLED. Off: requests complete at once (the default). */
#define SIM_IOCTL_SET_PENDING       SIM_CONTROL_CODE(0x90A)
/* krx. device, data: bytes the device "received"; appended to the receive queue, waiting
   reads are completed with them. */
#define SIM_IOCTL_FEED              SIM_CONTROL_CODE(0x90B)
/* device, value: 1 = a read with nothing waiting blocks (pending, cancellable, completed when
   data arrives), 0 = it completes at once with 0 bytes (the default). For krx it is the read of
   the byte stream, for vlx VLX_READ_TEST_DATA. */
#define SIM_IOCTL_SET_BLOCKING      SIM_CONTROL_CODE(0x90C)
/* device. Out: SimState. */
#define SIM_IOCTL_GET_STATE         SIM_CONTROL_CODE(0x90D)
/* device, value: index of the first log entry wanted. Out: a SimLogPage followed by as many
   whole entries from that index as fit into the output buffer (page on with first + count). */
#define SIM_IOCTL_READ_LOG          SIM_CONTROL_CODE(0x90E)
/* device. Empties the log of the device. */
#define SIM_IOCTL_CLEAR_LOG         SIM_CONTROL_CODE(0x90F)
/* No input needed. Out: 32 bytes, bit (n % 8) of byte (n / 8) set when device n is present. */
#define SIM_IOCTL_LIST_DEVICES      SIM_CONTROL_CODE(0x910)
/* krx. device, flags: SIM_FLOOD_ON, value: K, bytes per read (1 to 65536), data: the pattern,
   0 to SIM_REPLY_MAX bytes (0: the SIM_DEFAULT_FLOOD_* bytes). On: the device sends without
   pause, the pattern over and over from its first byte: before every read the receive queue is topped up
   to K bytes, so no read waits and each gets min(length asked, K) bytes or more when bytes were
   queued already; a read parked at that moment is served at once. Reads during a flood are
   counted in SimState.floodBytes instead of logged, so the log keeps the writes. Off: nothing
   more is added; what is queued stays. */
#define SIM_IOCTL_SET_FLOOD         SIM_CONTROL_CODE(0x911)

/* Codes of the requests that are not control requests, in logs and failure rules. They cannot
   clash with control codes, which all have device type 0x22 in their high word. */
#define SIM_REQ_CREATE              0x10000000u /* open of the device; not logged, may be failed (below) */
#define SIM_REQ_READ                0x10000003u /* krx read; logged with the requested length, 4 bytes LE */
#define SIM_REQ_WRITE               0x10000004u /* krx write; logged with the written bytes */

#define SIM_FAIL_STICKY             0x1u
#define SIM_PENDING_ON              0x1u
#define SIM_FLOOD_ON                0x1u

#define SIM_DATA_MAX                65536u /* data bytes in one SimCommand */
#define SIM_REPLY_MAX               4096u  /* krx version reply */
#define SIM_TEXT_MAX                64u    /* vlx driver text */

/* Defaults of a new device. The stored device number of a new command station is n. */
#define SIM_DEFAULT_DRIVER_TEXT     "Velmora USB-Treiber 1.08"
#define SIM_DEFAULT_VERSION_MAJOR   1
#define SIM_DEFAULT_VERSION_MINOR   8
#define SIM_DEFAULT_MODE            0
#define SIM_DEFAULT_SERIAL          0x003039u /* 12345 */
#define SIM_DEFAULT_REPLY           "KRX-40 V1.08\r"
/* The printable characters "!" to "~": any 94 bytes in a row of the stream are unique. */
#define SIM_DEFAULT_FLOOD_FIRST     0x21
#define SIM_DEFAULT_FLOOD_LENGTH    94u

/* Loop test of the command station: every VLX_SEND_TEST_COMMAND with selector 0 queues the low
   byte of its value; VLX_READ_TEST_DATA returns the queued bytes in order, as many as fit into
   its output buffer, one byte per packet sent (so sent packets and received bytes compare 1:1).
   Selector 1 keeps the value as the port pattern (SimState.portPattern). */

typedef struct SimCommand
{
    unsigned int device; /* 1 to 255; ignored by requests without a device */
    unsigned int code;   /* SIM_IOCTL_FAIL: request code */
    int status;          /* SIM_IOCTL_FAIL: NTSTATUS */
    unsigned int value;  /* number, count or delay: see the request */
    unsigned int flags;  /* SIM_FAIL_STICKY, SIM_PENDING_ON */
    unsigned int length; /* data bytes following this header */
} SimCommand;

typedef struct SimState
{
    unsigned int open;         /* 1 while a handle to the device is open */
    unsigned int storedNumber; /* vlx */
    unsigned int portPattern;  /* vlx: last selector-1 value */
    unsigned int portWrites;   /* vlx: number of selector-1 commands so far */
    unsigned int loopQueued;   /* vlx: loop bytes waiting for VLX_READ_TEST_DATA */
    unsigned int received;     /* krx: bytes waiting in the receive queue */
    unsigned int logEntries;   /* entries in the log */
    unsigned int logDropped;   /* requests not logged because the log was full */
    unsigned int pendingOn;    /* SIM_IOCTL_SET_PENDING */
    unsigned int pendingMs;
    unsigned int blocking;     /* SIM_IOCTL_SET_BLOCKING */
    unsigned int failRules;    /* failure rules in force */
    unsigned char version[4];  /* vlx: major, minor, mode, 0 */
    unsigned char serial[4];   /* vlx: 3 bytes, most significant first, 0 */
    unsigned int waitingReads; /* reads parked until bytes arrive (blocking on) */
    unsigned int floodOn;      /* krx: SIM_IOCTL_SET_FLOOD */
    unsigned int floodBytes;   /* krx: bytes read since the flood was last turned on */
} SimState;

/* The log keeps up to SIM_LOG_MAX_ENTRIES entries and SIM_LOG_MAX_BYTES payload bytes; later
   requests are counted in SimState.logDropped instead. */
#define SIM_LOG_MAX_ENTRIES 200000u
#define SIM_LOG_MAX_BYTES   (16u * 1024u * 1024u)

typedef struct SimLogPage
{
    unsigned int total;  /* entries in the log */
    unsigned int first;  /* index of the first entry in this page */
    unsigned int count;  /* entries in this page */
    unsigned int needed; /* count 0 although first < total: output bytes the next entry needs */
} SimLogPage;

/* One log entry in a page: this header, then `length` payload bytes, then 0 to 3 bytes of
   padding so that the next entry starts at a multiple of 4. */
typedef struct SimLogRecord
{
    unsigned int code;   /* request code or SIM_REQ_READ / SIM_REQ_WRITE */
    unsigned int length; /* payload bytes */
} SimLogRecord;

#define SIM_LOG_RECORD_SIZE(length) (8u + (((unsigned)(length) + 3u) & ~3u))

#endif
