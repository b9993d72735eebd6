#include "Handle.h"

Handle::Handle() : handle(INVALID_HANDLE_VALUE)
{
}

Handle::Handle(HANDLE handle) : handle(handle)
{
}

Handle::Handle(Handle&& other) noexcept : handle(other.release())
{
}

Handle& Handle::operator=(Handle&& other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

Handle::~Handle()
{
    close();
}

Handle Handle::createEvent(bool manualReset, bool initialState)
{
    return Handle(CreateEventA(nullptr, manualReset, initialState, nullptr));
}

HANDLE Handle::get() const
{
    return handle;
}

bool Handle::isValid() const
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

void Handle::reset(HANDLE newHandle)
{
    if (isValid() && newHandle != handle)
        CloseHandle(handle);
    handle = newHandle;
}

void Handle::close()
{
    reset(INVALID_HANDLE_VALUE);
}

HANDLE Handle::release()
{
    HANDLE released = handle;
    handle = INVALID_HANDLE_VALUE;
    return released;
}
