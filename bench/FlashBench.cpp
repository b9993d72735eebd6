// Time of `vlxflash update 1 --force` with the built-in image against the simulated command
// station, less the update's fixed 2000 ms pause after the reset, against the same payloads sent
// as bare firmware requests to the same simulated device in the same run, as a ratio: what the
// update itself adds, without a window.
//
// Usage: flash_bench VLXFLASH_EXE [rounds]   (default 5; prints each round, median and spread)
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BareFirmwareRequests.h"
#include "SimClient.h"

namespace
{
using bench::bareRequests;
using bench::now;
const unsigned DEVICE = 1;
const double RESET_PAUSE_S = 2.0;

// Seconds from starting the flasher to its end; -1 when it fails.
double timedFlash(std::string const& program)
{
    std::string commandLine = "\"" + program + "\" update 1 --force";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             NULL);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION process = {};
    double start = now();
    BOOL started = CreateProcessA(NULL, &commandLine[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup,
                                  &process);
    CloseHandle(nul);
    if (!started)
        return -1;
    WaitForSingleObject(process.hProcess, 120000);
    double elapsed = now() - start;
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0 ? elapsed : -1;
}

}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: flash_bench VLXFLASH_EXE [rounds]\n");
        return 2;
    }
    int rounds = argc > 2 ? atoi(argv[2]) : 5;
    std::vector<double> ratios;
    try {
        SimClient::resetAll();
        SimClient::vlxAdd(DEVICE);
        for (int round = 1; round <= rounds; ++round) {
            SimClient::vlxClearLog(DEVICE);
            double flash = timedFlash(argv[1]);
            std::vector<std::vector<unsigned char>> payloads = bench::firmwarePayloads(DEVICE);
            if (flash < 0 || payloads.empty()) {
                fprintf(stderr, "round %d: the flasher did not run\n", round);
                return 1;
            }
            double bare = bareRequests(payloads);
            if (bare <= 0) {
                fprintf(stderr, "round %d: the device could not be opened for the bare requests\n",
                        round);
                return 1;
            }
            double ratio = (flash - RESET_PAUSE_S) / bare;
            ratios.push_back(ratio);
            printf("round %d: %zu payloads; vlxflash %.3f s, less 2 s: %.3f s; bare requests %.3f "
                   "s; ratio %.2f\n",
                   round, payloads.size(), flash, flash - RESET_PAUSE_S, bare, ratio);
        }
    } catch (std::exception& e) {
        fprintf(stderr, "simulated devices: %s\n", e.what());
        return 1;
    }
    std::sort(ratios.begin(), ratios.end());
    printf("ratio (vlxflash less 2 s) / (bare requests): median %.2f, min %.2f, max %.2f over %zu "
           "rounds\n",
           ratios[ratios.size() / 2], ratios.front(), ratios.back(), ratios.size());
    return 0;
}
