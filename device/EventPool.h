#ifndef EVENTPOOL_H
#define EVENTPOOL_H

#include <windows.h>

#include <vector>

#include "Handle.h"

// Auto-reset events for overlapped requests, owned by one channel. A request takes an event
// that no other outstanding request holds and gives it back when it ends, so the pool holds
// only as many events as requests ever ran at once on the channel; the destructor closes them.
// Making and closing an event for every request costs more than the request itself under Wine.
class EventPool
{
public:
    // One event taken from the pool, given back when this goes.
    class Lease
    {
    public:
        Lease(Lease&& other) noexcept;
        ~Lease();
        HANDLE get() const { return event.get(); }

    private:
        friend class EventPool;
        Lease(EventPool& pool, Handle event);
        Lease(Lease const&) = delete;
        Lease& operator=(Lease const&) = delete;
        Lease& operator=(Lease&&) = delete;

        EventPool* pool;
        Handle event;
    };

    EventPool();
    ~EventPool();

    // An idle event, or a new one; throws Win32Exception(message) when none can be made.
    Lease take(char const* message);

private:
    EventPool(EventPool const&) = delete;
    EventPool& operator=(EventPool const&) = delete;

    void giveBack(Handle event);

    // A slim lock: a kernel mutex would cost a server round trip per request under Wine.
    SRWLOCK lock;
    std::vector<Handle> idle;
};

#endif
