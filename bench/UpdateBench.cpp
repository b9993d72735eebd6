// Time of a whole firmware update of the built-in image, run by the real program against the
// simulated command station, less the update's fixed 2000 ms pause after the reset, against
// the same payloads sent as bare firmware requests to the same simulated device in the same run.
//
// Usage: update_bench [rounds]   (default 3; prints each round, the median and the spread)
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "BareFirmwareRequests.h"
#include "SimClient.h"
#include "KrxApp.h"
#include "resource.h"

namespace
{
using bench::now;
const unsigned DEVICE = 1;

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
double timedUpdate(bench::Payloads& payloads)
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
    return bench::compareRounds(
        rounds, "update",
        [] {
            SimClient::resetAll();
            SimClient::vlxAdd(DEVICE);
            SimClient::krxAdd(DEVICE);
        },
        timedUpdate);
}
