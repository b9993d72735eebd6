#ifndef BAREFIRMWAREREQUESTS_H
#define BAREFIRMWAREREQUESTS_H

// What the update benchmarks measure against: the firmware payloads a run left in the simulated
// command station's log, sent again as bare overlapped requests, each with its own event; and the
// rounds both benchmarks run.
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <exception>
#include <functional>
#include <vector>

#include "BenchClock.h"
#include "SimClient.h"
#include "VlxUsbCodes.h"

namespace bench
{
typedef std::vector<std::vector<unsigned char>> Payloads;

inline Payloads firmwarePayloads(unsigned device)
{
    Payloads payloads;
    for (SimRequest const& r : SimClient::vlxLog(device))
        if (r.code == VLX_WRITE_FIRMWARE_BLOCK)
            payloads.push_back(r.payload);
    return payloads;
}

// Seconds for all payloads to \\.\VlxUsb1; -1 when the device does not open.
inline double bareRequests(Payloads const& payloads)
{
    HANDLE device = CreateFileA("\\\\.\\VlxUsb1", GENERIC_READ | GENERIC_WRITE, 0, NULL,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, NULL);
    if (device == INVALID_HANDLE_VALUE)
        return -1;
    double start = now();
    for (auto const& p : payloads) {
        HANDLE event = CreateEventA(NULL, FALSE, FALSE, NULL);
        OVERLAPPED overlapped = {};
        overlapped.hEvent = event;
        DWORD returned = 0;
        if (!DeviceIoControl(device, VLX_WRITE_FIRMWARE_BLOCK, (void*)p.data(), (DWORD)p.size(),
                             NULL, 0, &returned, &overlapped) &&
            GetLastError() == ERROR_IO_PENDING) {
            WaitForSingleObject(event, INFINITE);
            GetOverlappedResult(device, &overlapped, &returned, FALSE);
        }
        CloseHandle(event);
    }
    double elapsed = now() - start;
    CloseHandle(device);
    return elapsed;
}

// Sets the simulated devices up, then runs the rounds: each times a run (timedRun gives its
// seconds, below 0 when it did not run, and fills in the run's firmware payloads), sends the same
// payloads bare and prints the ratio of the run, less the update's fixed 2000 ms pause after the
// reset, to the bare requests. At the end the median, least and greatest ratio. The exit status:
// 1 when the devices or a round failed (said on stderr).
inline int compareRounds(int rounds, char const* what, std::function<void()> const& setUp,
                         std::function<double(Payloads&)> const& timedRun)
{
    double const resetPause = 2.0;
    std::vector<double> ratios;
    try {
        setUp();
        for (int round = 1; round <= rounds; ++round) {
            Payloads payloads;
            double run = timedRun(payloads);
            if (run < 0 || payloads.empty()) {
                fprintf(stderr, "round %d: the %s did not run\n", round, what);
                return 1;
            }
            double bare = bareRequests(payloads);
            if (bare <= 0) {
                fprintf(stderr, "round %d: the device could not be opened for the bare requests\n",
                        round);
                return 1;
            }
            ratios.push_back((run - resetPause) / bare);
            printf("round %d: %zu payloads; %s %.3f s, less 2 s: %.3f s; bare requests %.3f s; "
                   "ratio %.2f\n",
                   round, payloads.size(), what, run, run - resetPause, bare, ratios.back());
        }
    } catch (std::exception& e) {
        fprintf(stderr, "simulated devices: %s\n", e.what());
        return 1;
    }
    if (ratios.empty())
        return 1;
    std::sort(ratios.begin(), ratios.end());
    printf("ratio (%s less 2 s) / (bare requests): median %.2f, min %.2f, max %.2f over %zu "
           "rounds\n",
           what, ratios[ratios.size() / 2], ratios.front(), ratios.back(), ratios.size());
    return 0;
}
} // namespace bench

#endif
