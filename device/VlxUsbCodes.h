/* Request codes of the command station's driver (\\.\VlxUsb<n>), shared by the channel and the
   simulated driver. Plain C: the simulated driver includes it too. */
#ifndef VLXUSBCODES_H
#define VLXUSBCODES_H

/* Device type FILE_DEVICE_UNKNOWN (0x22), METHOD_BUFFERED, FILE_ANY_ACCESS. */
#define VLX_CODE(function)       (0x00220000u | ((unsigned)(function) << 2))

#define VLX_GET_DRIVER_INFO      VLX_CODE(0x801) /* 0x00222004  out: NUL-terminated text, <= 64 bytes */
#define VLX_SEND_TEST_COMMAND    VLX_CODE(0x802) /* 0x00222008  in: 04, selector, value lo, value hi */
#define VLX_READ_TEST_DATA       VLX_CODE(0x803) /* 0x0022200C  out: caller's buffer */
#define VLX_GET_DEVICE_NUMBER    VLX_CODE(0x805) /* 0x00222014  out: 1 byte */
#define VLX_SET_DEVICE_NUMBER    VLX_CODE(0x806) /* 0x00222018  in: 1 byte */
#define VLX_GET_FIRMWARE_VERSION VLX_CODE(0x807) /* 0x0022201C out: major, minor, mode */
#define VLX_WRITE_FIRMWARE_BLOCK VLX_CODE(0x808) /* 0x00222020 in: 0 to 255 bytes */
#define VLX_GET_SERIAL_NUMBER    VLX_CODE(0x809) /* 0x00222024  out: 3 bytes, most significant first */

#define VLX_DRIVER_INFO_SIZE     64
#define VLX_TEST_COMMAND_TAG     0x04
#define VLX_SELECTOR_LOOP        0 /* value is a loop-test value */
#define VLX_SELECTOR_PORT        1 /* value holds the LED and pin bits */

#endif
