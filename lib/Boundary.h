#ifndef BOUNDARY_H
#define BOUNDARY_H

#include "LibApi.h"

// Where the system calls into the program (window and dialog procedures, timer callbacks,
// thread entries) no exception may pass. guard() runs the body there and reports whatever it
// throws the way the program reports failures: a message box with the error icon.
class LIBAPI Boundary
{
public:
    typedef void (*Reporter)(char const* text);

    // The body's result, or failed when it threw.
    template <class Result, class Body>
    static Result guard(Result failed, Body body) noexcept
    {
        try {
            return body();
        } catch (...) {
            reportCurrent();
        }
        return failed;
    }

    // Only inside a catch block: reports the exception being handled. Never throws.
    static void reportCurrent() noexcept;
    // Replaces the reporter (tests record instead of showing a box); returns the previous one.
    static Reporter setReporter(Reporter reporter);
    // The reporter in place from the start: a message box captioned "Fehler".
    static void showMessageBox(char const* text);
};

#endif
