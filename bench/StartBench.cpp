// Start-up benchmark (run by hand or by bench/start-bench, never timed in ctest):
//  1. time from CreateProcess to the main window showing its device list "1", "3", against a
//     minimal dialog program started the same way, as a ratio;
//  2. the cost of the device search over the numbers 1 to 255, in this process.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "KrxApp.h"
#include "SimClient.h"
#include "VlxUsbDriver.h"

namespace
{

double milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

typedef std::vector<std::string> Texts;

// Starts a program and waits until a visible top-level window of it (class or caption) shows
// the drop-down list 1002 with "1", "3". Returns the milliseconds, or -1.
double timeToList(bool reference, std::string const& referencePath)
{
    KrxApp app;
    LARGE_INTEGER start = now();
    if (!(reference ? app.startProgram(referencePath, "") : app.start()))
        return -1;
    HWND list = nullptr;
    bool shown = waitUntil(
        [&] {
            HWND top = reference ? app.waitDialog("Minimal", 0) : app.mainWindow(0);
            if (top == nullptr)
                return false;
            list = KrxApp::findChild(top, 1002);
            return list != nullptr && IsWindowVisible(top) &&
                KrxApp::comboTexts(list) == Texts({"1", "3"});
        },
        30000);
    LARGE_INTEGER end = now();
    if (reference) {
        HWND top = app.findDialog("Minimal");
        if (top != nullptr)
            PostMessageA(top, WM_CLOSE, 0, 0);
        app.waitExit(10000);
    } else {
        app.close();
    }
    return shown ? milliseconds(start, end) : -1;
}

}

int main(int argc, char** argv)
{
    int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    std::string reference = windowsPath(KRX_MINIMAL_PATH);
    SimClient::resetAll();
    SimClient::vlxAdd(1);
    SimClient::krxAdd(1);
    SimClient::vlxAdd(3);
    SimClient::krxAdd(3);

    std::vector<double> program, minimal;
    // One start of each first, untimed: the first start of a Wine process pays for loading
    // the prefix's DLLs from disk.
    timeToList(false, reference);
    timeToList(true, reference);
    for (int i = 0; i < runs; ++i) {
        double p = timeToList(false, reference);
        double m = timeToList(true, reference);
        if (p < 0 || m < 0) {
            std::printf("run %d: a window did not show its list in time\n", i + 1);
            return 1;
        }
        program.push_back(p);
        minimal.push_back(m);
        std::printf("run %d: VelmoraKrx40 %.0f ms, minimal dialog %.0f ms\n", i + 1, p, m);
    }
    double p = median(program), m = median(minimal);
    std::printf("start to device list (median of %d): VelmoraKrx40 %.0f ms, minimal dialog "
                "%.0f ms, ratio %.2f\n",
                runs, p, m, p / m);

    // The device search as the main dialog runs it: 255 probes, devices 1 and 3 present.
    int const searches = 20;
    std::vector<double> search;
    for (int i = 0; i < searches; ++i) {
        LARGE_INTEGER start = now();
        int found = 0;
        for (int n = 1; n <= 255; ++n)
            found += VlxUsbDriver::isPresent(static_cast<unsigned char>(n)) ? 1 : 0;
        search.push_back(milliseconds(start, now()));
        if (found != 2) {
            std::printf("the search found %d devices, not 2\n", found);
            return 1;
        }
    }
    double s = median(search);
    std::printf("device search 1..255 (median of %d): %.1f ms, %.1f us per number; "
                "%.0f%% of the program's start\n",
                searches, s, 1000.0 * s / 255, 100.0 * s / p);
    SimClient::resetAll();
    return 0;
}
