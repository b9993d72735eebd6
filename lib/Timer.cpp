#include "Timer.h"

#include "Boundary.h"
#include "MutexLock.h"

namespace
{

struct TIMER
{
    Timer* owner;
    UINT_PTR id;
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
    MutexLock lock(mutex);
    UINT_PTR id = SetTimer(nullptr, 0, elapse, TimerProc);
    if (id == 0)
        return 0;
    listTimer.insertAfter(new TIMER{this, id});
    return id;
}

void Timer::killTimer(UINT_PTR id)
{
    MutexLock lock(mutex);
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
    MutexLock lock(mutex);
    listTimer.startEnumeration();
    while (listTimer.hasMoreAfter()) {
        TIMER* timer = static_cast<TIMER*>(listTimer.next());
        if (timer->id != id)
            continue;
        // The system gives every running timer its own id, so there is one record to notify.
        // The walk ends with it: the callback may start or kill timers, which moves the cursor.
        Boundary::guard(0, [&] {
            timer->owner->notifyTimer(id);
            return 0;
        });
        return;
    }
}
