#include "EventPool.h"

#include "Win32Exception.h"

EventPool::Lease::Lease(EventPool& pool, Handle event) : pool(&pool), event(std::move(event))
{
}

EventPool::Lease::Lease(Lease&& other) noexcept : pool(other.pool), event(std::move(other.event))
{
    other.pool = nullptr;
}

EventPool::Lease::~Lease()
{
    if (pool != nullptr && event.isValid())
        pool->giveBack(std::move(event));
}

EventPool::EventPool()
{
    InitializeSRWLock(&lock);
}

EventPool::~EventPool()
{
}

EventPool::Lease EventPool::take(char const* message)
{
    AcquireSRWLockExclusive(&lock);
    Handle event;
    if (!idle.empty()) {
        event = std::move(idle.back());
        idle.pop_back();
    }
    ReleaseSRWLockExclusive(&lock);
    if (!event.isValid()) {
        event = Handle::createEvent(false, false);
        if (!event.isValid()) {
            DWORD error = GetLastError();
            throw Win32Exception(message, error);
        }
    }
    return Lease(*this, std::move(event));
}

void EventPool::giveBack(Handle event)
{
    AcquireSRWLockExclusive(&lock);
    try {
        idle.push_back(std::move(event));
    } catch (std::bad_alloc&) {
        // No room to keep it: the event closes when it goes out of scope here.
    }
    ReleaseSRWLockExclusive(&lock);
}
