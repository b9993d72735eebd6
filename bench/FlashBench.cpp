// Time of `vlxflash update 1 --force` with the built-in image against the simulated command
// station, less the update's fixed 2000 ms pause after the reset, against the same payloads sent
// as bare firmware requests to the same simulated device in the same run, as a ratio: what the
// update itself adds, without a window.
//
// Usage: flash_bench VLXFLASH_EXE [rounds]   (default 5; prints each round, median and spread)
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "BareFirmwareRequests.h"
#include "SimClient.h"

namespace
{
using bench::now;
const unsigned DEVICE = 1;

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
    return bench::compareRounds(
        rounds, "vlxflash",
        [] {
            SimClient::resetAll();
            SimClient::vlxAdd(DEVICE);
        },
        [&](bench::Payloads& payloads) {
            SimClient::vlxClearLog(DEVICE);
            double flash = timedFlash(argv[1]);
            payloads = bench::firmwarePayloads(DEVICE);
            return flash;
        });
}
