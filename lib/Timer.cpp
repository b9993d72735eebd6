#include "Timer.h"

#include <exception>

namespace
{

struct TIMER
{
    Timer* owner;
    UINT_PTR id;
};

class Lock
{
public:
    explicit Lock(Mutex& m) : m(m) { m.mutexLock(); }
    ~Lock() { m.mutexUnlock(); }
    Lock(Lock const&) = delete;
    Lock& operator=(Lock const&) = delete;

private:
    Mutex& m;
};

} // namespace

LinkedList Timer::listTimer;
Mutex Timer::mutex;

Timer::Timer()
{
}

Timer::Timer(Timer const&)
{
}

Timer& Timer::operator=(Timer const&)
{
    return *this;
}

Timer::~Timer()
{
}

UINT_PTR Timer::startTimer(unsigned int elapse)
{
    Lock lock(mutex);
    UINT_PTR id = SetTimer(nullptr, 0, elapse, TimerProc);
    if (id == 0)
        return 0;
    listTimer.insertAfter(new TIMER{this, id});
    return id;
}

void Timer::killTimer(UINT_PTR id)
{
    Lock lock(mutex);
    listTimer.startEnumeration();
    while (listTimer.hasMoreAfter()) {
        TIMER* timer = static_cast<TIMER*>(listTimer.next());
        if (timer->id == id) {
            KillTimer(nullptr, id);
            listTimer.remove();
            delete timer;
            return;
        }
    }
}

void CALLBACK Timer::TimerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    Lock lock(mutex);
    listTimer.startEnumeration();
    while (listTimer.hasMoreAfter()) {
        TIMER* timer = static_cast<TIMER*>(listTimer.next());
        if (timer->id != id)
            continue;
        // The system gives every running timer its own id, so there is one record to notify.
        // The walk ends with it: the callback may start or kill timers, which moves the cursor.
        try {
            timer->owner->notifyTimer(id);
        } catch (std::exception& e) {
            // Nothing may unwind into the system's message dispatching.
            OutputDebugStringA(e.what());
        }
        return;
    }
}
