#ifndef HANDLE_H
#define HANDLE_H

#include <windows.h>

#include "LibApi.h"

// Owns one kernel handle (a file, device, event or thread) and closes it in its destructor.
// Both null and INVALID_HANDLE_VALUE mean "none": the system's calls return one or the other.
class LIBAPI Handle
{
public:
    Handle();
    explicit Handle(HANDLE handle);
    Handle(Handle&& other) noexcept;
    Handle& operator=(Handle&& other) noexcept;
    ~Handle();

    // An unnamed event; none when the system refuses (its last error then tells why).
    static Handle createEvent(bool manualReset, bool initialState);

    HANDLE get() const;
    bool isValid() const;
    // Closes the handle held, if any, and takes the new one.
    void reset(HANDLE newHandle);
    // Closes the handle held, if any; afterwards get() is INVALID_HANDLE_VALUE.
    void close();
    // Gives up ownership without closing.
    HANDLE release();

private:
    Handle(Handle const&) = delete;
    Handle& operator=(Handle const&) = delete;

    HANDLE handle;
};

#endif
