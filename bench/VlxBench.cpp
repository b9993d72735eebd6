// Requests per second through the two channels against the same number of bare overlapped
// DeviceIoControl calls on the same device, in one run: VlxUsbDriver::getFirmwareVersion on a
// simulated command station, KrxUsbDriver::getReceiveCount (overlapped channel) on a simulated
// feedback interface of the same number. The devices open exclusively, so the channel and the
// bare calls take turns in rounds; opening and closing are not timed. Each round gives one
// ratio; the median and the spread of the rounds are printed.
//
// Usage: vlxbench [device-number [requests-per-round [rounds]]]   (defaults 1, 500, 20)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <windows.h>

#include "BenchClock.h"
#include "Handle.h"
#include "KrxUsbCodes.h"
#include "KrxUsbDriver.h"
#include "VlxUsbCodes.h"
#include "VlxUsbDriver.h"
#include "Win32Exception.h"

namespace
{
using bench::now;

template <class Request>
double timed(unsigned long count, Request request)
{
    double start = now();
    for (unsigned long i = 0; i < count; ++i)
        request();
    return now() - start;
}

// The least a caller of an overlapped handle must do: one event for all requests, the pending
// path only when the driver takes it.
double bare(String const& path, DWORD code, DWORD outLength, unsigned long count)
{
    Handle device(CreateFileA(path.getChars(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    if (!device.isValid())
        throw Win32Exception("Gerät nicht zu öffnen", GetLastError());
    Handle event = Handle::createEvent(false, false);
    unsigned char reply[8] = {};
    DWORD error = 0;
    double elapsed = timed(count, [&] {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = event.get();
        DWORD returned = 0;
        if (error ||
            DeviceIoControl(device.get(), code, nullptr, 0, reply, outLength, &returned,
                            &overlapped))
            return;
        error = GetLastError();
        if (error == ERROR_IO_PENDING &&
            WaitForSingleObject(event.get(), INFINITE) == WAIT_OBJECT_0 &&
            GetOverlappedResult(device.get(), &overlapped, &returned, FALSE))
            error = 0;
    });
    if (error)
        throw Win32Exception("DeviceIoControl fehlgeschlagen", error);
    return elapsed;
}

void report(char const* name, std::vector<double> ratios, double channelTime, double bareTime,
            double total)
{
    std::sort(ratios.begin(), ratios.end());
    size_t n = ratios.size();
    double median = n % 2 ? ratios[n / 2] : (ratios[n / 2 - 1] + ratios[n / 2]) / 2;
    printf("%-34s %.2f us per request, bare %.2f us\n", name, 1e6 * channelTime / total,
           1e6 * bareTime / total);
    printf("%-34s median %.3f, min %.3f, max %.3f (%zu rounds)\n", "  cost ratio channel / bare",
           median, ratios.front(), ratios.back(), n);
}
}

int main(int argc, char** argv)
{
    unsigned long device = argc > 1 ? strtoul(argv[1], nullptr, 10) : 1;
    unsigned long count = argc > 2 ? strtoul(argv[2], nullptr, 10) : 500;
    unsigned long rounds = argc > 3 ? strtoul(argv[3], nullptr, 10) : 20;
    if (device < 1 || device > 255 || count == 0 || rounds == 0) {
        fprintf(stderr, "Aufruf: vlxbench [Gerätenummer 1-255 [Anfragen je Runde [Runden]]]\n");
        return 2;
    }
    unsigned char number = static_cast<unsigned char>(device);
    try {
        String vlxPath = VlxUsbDriver::getDevicePath(number),
               krxPath = KrxUsbDriver::getDevicePath(number);
        std::vector<double> vlxRatios, krxRatios;
        double vlxChannel = 0, vlxBare = 0, krxChannel = 0, krxBare = 0;
        // Round 0 warms caches and the driver's paths and is not counted.
        for (unsigned long r = 0; r <= rounds; ++r) {
            unsigned long n = r ? count : count / 10 + 1;
            double channel, plain;
            {
                VlxUsbDriver vlx(number);
                channel = timed(n, [&] { vlx.getFirmwareVersion(); });
            }
            plain = bare(vlxPath, VLX_GET_FIRMWARE_VERSION, 3, n);
            if (r) {
                vlxRatios.push_back(channel / plain);
                vlxChannel += channel;
                vlxBare += plain;
            }
            {
                KrxUsbDriver krx(number, true);
                channel = timed(n, [&] { krx.getReceiveCount(); });
            }
            plain = bare(krxPath, KRX_GET_RECEIVE_COUNT, 4, n);
            if (r) {
                krxRatios.push_back(channel / plain);
                krxChannel += channel;
                krxBare += plain;
            }
        }
        double total = double(count) * double(rounds);
        printf("devices %s and %s, %lu rounds of %lu requests per side\n", vlxPath.getChars(),
               krxPath.getChars(), rounds, count);
        report("VlxUsbDriver::getFirmwareVersion", vlxRatios, vlxChannel, vlxBare, total);
        report("KrxUsbDriver::getReceiveCount", krxRatios, krxChannel, krxBare, total);
        return 0;
    } catch (Win32Exception& e) {
        fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
