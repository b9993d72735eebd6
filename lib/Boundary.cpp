#include "Boundary.h"

#include <windows.h>

#include <atomic>
#include <exception>

namespace
{
std::atomic<Boundary::Reporter> reporter{Boundary::showMessageBox};

void report(char const* text)
{
    OutputDebugStringA(text);
    OutputDebugStringA("\n");
    reporter.load()(text);
}
}

void Boundary::reportCurrent() noexcept
{
    try {
        throw;
    } catch (std::exception& e) {
        report(e.what());
    } catch (...) {
        report("Unbekannter Fehler.");
    }
}

Boundary::Reporter Boundary::setReporter(Reporter newReporter)
{
    return reporter.exchange(newReporter);
}

void Boundary::showMessageBox(char const* text)
{
    MessageBoxA(nullptr, text, "Fehler", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}
