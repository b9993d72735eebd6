// User-mode client of the simulated drivers' control devices, shared by simctl and the tests.
// Every call opens the control device, makes one or a few requests and closes it again; every
// failure is thrown as std::runtime_error whose text names the request, the device and the
// system's error.
#ifndef SIMCLIENT_H
#define SIMCLIENT_H

#include <string>
#include <vector>

#include "SimControl.h"

struct SimRequest
{
    unsigned long code; // request code, SIM_REQ_READ or SIM_REQ_WRITE
    std::vector<unsigned char>
        payload; // input bytes; written bytes; read: requested length, 4 bytes LE
};

class SimClient
{
public:
    static void resetAll(); // both drivers: no devices, default state

    // command station
    static void vlxAdd(unsigned n); // defaults from SimControl.h, stored number n
    static void vlxRemove(unsigned n);
    static void vlxSetDriverText(unsigned n, std::string const& text);
    static void vlxSetVersion(unsigned n, unsigned char major, unsigned char minor,
                              unsigned char mode);
    static void vlxSetSerial(unsigned n, unsigned char b0, unsigned char b1, unsigned char b2);
    static void vlxSetStoredNumber(unsigned n, unsigned char number);
    static unsigned char vlxStoredNumber(unsigned n);
    static unsigned short vlxPortPattern(unsigned n); // last selector-1 value
    static void vlxFail(unsigned n, unsigned long code, long ntstatus, unsigned after = 0,
                        bool sticky = false);
    static void vlxClearFailures(unsigned n);
    static void vlxSetPending(unsigned n, unsigned delayMs, bool on = true);
    static void vlxSetBlockingRead(unsigned n,
                                   bool blocking); // VLX_READ_TEST_DATA with nothing queued
    static std::vector<SimRequest> vlxLog(unsigned n);
    static void vlxClearLog(unsigned n);
    static SimState vlxState(unsigned n);
    static std::vector<unsigned> vlxDevices();

    // feedback interface
    static void krxAdd(unsigned n); // reply SIM_DEFAULT_REPLY
    static void krxRemove(unsigned n);
    static void krxSetReply(unsigned n, std::string const& bytes); // raw, CR included by caller
    static void krxFeed(unsigned n, std::string const& bytes);
    static void krxSetBlockingRead(unsigned n, bool blocking);
    // The device sends the pattern without pause (empty: SIM_DEFAULT_FLOOD_*), see SIM_IOCTL_SET_FLOOD.
    static void krxFlood(unsigned n, bool on, unsigned bytesPerRead = 256,
                         std::string const& pattern = std::string());
    static unsigned long krxPending(unsigned n); // bytes waiting
    static void krxFail(unsigned n, unsigned long what, long ntstatus, unsigned after = 0,
                        bool sticky = false);
    static void krxClearFailures(unsigned n);
    static void krxSetPending(unsigned n, unsigned delayMs, bool on = true);
    static std::vector<SimRequest> krxLog(unsigned n);
    static void krxClearLog(unsigned n);
    static SimState krxState(unsigned n);
    static std::vector<unsigned> krxDevices();

    // The same for either driver: krx false = command station, true = feedback interface.
    static void request(bool krx, unsigned long code, SimCommand command,
                        std::string const& data = std::string(), void* out = nullptr,
                        unsigned long outSize = 0, unsigned long* returned = nullptr);
    // The whole log, read in pages of pageSize bytes (grown when one entry needs more).
    static std::vector<SimRequest> log(bool krx, unsigned n, unsigned long pageSize = 256 * 1024);
    static SimState state(bool krx, unsigned n);
    static std::vector<unsigned> devices(bool krx);
    static void fail(bool krx, unsigned n, unsigned long code, long ntstatus, unsigned after,
                     bool sticky);
    static void setPending(bool krx, unsigned n, unsigned delayMs, bool on);
    static void setBlockingRead(bool krx, unsigned n, bool blocking);
    static SimCommand command(unsigned n);
    // Name of a control request for messages ("SIM_IOCTL_ADD_DEVICE").
    static const char* requestName(unsigned long code);
};

#endif
