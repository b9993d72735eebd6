// Time of a whole firmware update of the built-in image, run by the real program against the
// simulated command station, less the update's fixed 2000 ms pause after the reset, against
// the same payloads sent as bare firmware requests to the same simulated device in the same run.
//
// Usage: update_bench [rounds]   (default 3; prints each round and the median ratio)
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "BareFirmwareRequests.h"
#include "SimClient.h"
#include "KrxApp.h"
#include "resource.h"

namespace
{
using bench::bareRequests;
using bench::now;
const unsigned DEVICE = 1;
const double RESET_PAUSE_S = 2.0;

HWND progressDialog(KrxApp& app)
{
    HWND found = NULL;
    waitUntil(
        [&] {
            for (HWND d : app.dialogs())
                if (GetDlgItem(d, IDC_PROGRESS_BAR) != NULL)
                    found = d;
            return found != NULL;
        },
        20000);
    return found;
}

// Seconds from answering the question to the enabled OK of the progress dialog.
double timedUpdate(std::vector<std::vector<unsigned char>>& payloads)
{
    KrxApp app;
    if (!app.start(""))
        return -1;
    if (app.waitPage(IDC_VLX_DRIVER_TEXT) == NULL || !app.selectTab(1))
        return -1;
    HWND page = app.waitPage(IDC_FIRMWARE_UPDATE);
    if (page == NULL)
        return -1;
    SimClient::vlxClearLog(DEVICE);
    KrxApp::press(GetDlgItem(page, IDC_FIRMWARE_UPDATE));
    HWND question = app.waitDialog("Firmwareupdate");
    if (question == NULL)
        return -1;
    double start = now();
    KrxApp::press(GetDlgItem(question, IDYES));
    HWND dialog = progressDialog(app);
    if (dialog == NULL)
        return -1;
    HWND ok = GetDlgItem(dialog, IDOK);
    while (!IsWindowEnabled(ok)) {
        if (now() - start > 120)
            return -1;
        Sleep(1);
    }
    double elapsed = now() - start;
    payloads = bench::firmwarePayloads(DEVICE);
    KrxApp::press(ok);
    waitUntil([&] { return !IsWindow(dialog); }, 10000);
    app.close();
    return elapsed;
}

}

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? atoi(argv[1]) : 3;
    std::vector<double> ratios;
    try {
        SimClient::resetAll();
        SimClient::vlxAdd(DEVICE);
        SimClient::krxAdd(DEVICE);
        for (int round = 1; round <= rounds; ++round) {
            std::vector<std::vector<unsigned char>> payloads;
            double update = timedUpdate(payloads);
            if (update < 0 || payloads.empty()) {
                fprintf(stderr, "round %d: the update did not run\n", round);
                return 1;
            }
            double bare = bareRequests(payloads);
            if (bare <= 0) {
                fprintf(stderr, "round %d: the device could not be opened for the bare requests\n",
                        round);
                return 1;
            }
            double ratio = (update - RESET_PAUSE_S) / bare;
            ratios.push_back(ratio);
            printf("round %d: %zu payloads; update %.3f s, less 2 s: %.3f s; bare requests %.3f s; "
                   "ratio %.1f\n",
                   round, payloads.size(), update, update - RESET_PAUSE_S, bare, ratio);
        }
    } catch (std::exception& e) {
        fprintf(stderr, "simulated devices: %s\n", e.what());
        return 1;
    }
    std::sort(ratios.begin(), ratios.end());
    printf("median ratio (update less 2 s) / (bare requests): %.1f\n", ratios[ratios.size() / 2]);
    return 0;
}
