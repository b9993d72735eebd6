// Bytes shown per second by the terminal page during a flood of the simulated feedback
// interface, in text and in hex display, against a bare ReadFile loop on the same device, in
// one run. The device opens exclusively, so the three take turns in rounds. The page shows
// every block it reads before it reads the next, so the bytes read from the device during the
// window (SimState.floodBytes) are the bytes shown.
//
// Usage: terminalbench [seconds-per-measure [rounds]]   (defaults 3 and 5); device 1.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <windows.h>

#include "KrxApp.h"
#include "SimClient.h"
#include "resource.h"

namespace
{
const unsigned DEVICE = 1;

double flooded(DWORD ms)
{
    SimClient::krxFlood(DEVICE, true);
    unsigned before = SimClient::krxState(DEVICE).floodBytes;
    DWORD start = GetTickCount();
    Sleep(ms);
    unsigned bytes = SimClient::krxState(DEVICE).floodBytes - before;
    double rate = bytes * 1000.0 / (GetTickCount() - start);
    SimClient::krxFlood(DEVICE, false);
    return rate;
}

double bareReadFile(DWORD ms)
{
    HANDLE device = CreateFileA("\\\\.\\KrxUsb1", GENERIC_READ | GENERIC_WRITE, 0, NULL,
                                OPEN_EXISTING, 0, NULL);
    if (device == INVALID_HANDLE_VALUE)
        return 0;
    SimClient::krxFlood(DEVICE, true);
    unsigned long long bytes = 0;
    unsigned char buffer[256];
    DWORD got, start = GetTickCount();
    while (GetTickCount() - start < ms && ReadFile(device, buffer, sizeof buffer, &got, NULL))
        bytes += got;
    double rate = bytes * 1000.0 / (GetTickCount() - start);
    SimClient::krxFlood(DEVICE, false);
    CloseHandle(device);
    return rate;
}

void report(char const* name, std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    std::printf("%-22s median %10.3f   min %10.3f   max %10.3f\n", name, values[values.size() / 2],
                values.front(), values.back());
}
}

int main(int argc, char** argv)
{
    DWORD ms = argc > 1 ? (DWORD)(std::atof(argv[1]) * 1000) : 3000;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    SimClient::resetAll();
    SimClient::vlxAdd(DEVICE);
    SimClient::krxAdd(DEVICE);
    SimClient::krxSetBlockingRead(DEVICE, true);
    KrxApp app;
    HWND page = nullptr;
    if (!app.start() || !app.waitPage(IDC_VLX_DRIVER_TEXT, 20000) || !app.selectTab(2) ||
        (page = app.waitPage(IDC_TERMINAL_OUTPUT)) == nullptr) {
        std::fprintf(stderr, "the terminal page did not come up\n");
        return 1;
    }
    HWND connect = GetDlgItem(page, IDC_TERMINAL_CONNECT);
    HWND hex = GetDlgItem(page, IDC_TERMINAL_HEX);
    auto shown = [&](bool inHex) {
        if ((SendMessageW(hex, BM_GETCHECK, 0, 0) == BST_CHECKED) != inHex) {
            KrxApp::press(hex);
            waitUntil(
                [&] { return (SendMessageW(hex, BM_GETCHECK, 0, 0) == BST_CHECKED) == inHex; },
                5000);
        }
        KrxApp::press(connect);
        waitUntil([&] { return SimClient::krxState(DEVICE).waitingReads == 1; }, 10000);
        double rate = flooded(ms);
        KrxApp::press(connect);
        waitUntil([&] { return !SimClient::krxState(DEVICE).open; }, 10000);
        return rate;
    };
    std::vector<double> text, hexa, bare, textRatio, hexRatio;
    for (int r = 0; r < rounds; ++r) {
        text.push_back(shown(false));
        hexa.push_back(shown(true));
        bare.push_back(bareReadFile(ms));
        textRatio.push_back(text.back() / bare.back());
        hexRatio.push_back(hexa.back() / bare.back());
        std::printf("round %d: text %.0f B/s, hex %.0f B/s, bare ReadFile %.0f B/s\n", r + 1,
                    text.back(), hexa.back(), bare.back());
    }
    report("text display B/s", text);
    report("hex display B/s", hexa);
    report("bare ReadFile B/s", bare);
    report("text / bare", textRatio);
    report("hex / bare", hexRatio);
    return app.close() == 0 ? 0 : 1;
}
