/* The feedback interface's driver (\\.\KrxUsb<n>): a byte stream plus one control request.
   Shared by the channel and the simulated driver. Plain C. */
#ifndef KRXUSBCODES_H
#define KRXUSBCODES_H

/* 0x00222004: device type 0x22, function 0x801, METHOD_BUFFERED, FILE_ANY_ACCESS;
   out: 4 bytes, the number of received bytes waiting in the driver. */
#define KRX_GET_RECEIVE_COUNT 0x00222004u

/* The device answers "v" CR with one line ended by CR. */
#define KRX_VERSION_REQUEST   "v\r"
#define KRX_LINE_END          0x0D

#endif
