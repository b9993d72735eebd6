#ifndef THREADTIMER_H
#define THREADTIMER_H

#include <windows.h>

#include "LibApi.h"

class ThreadTimer;

// One started thread timer. The timer thread releases it when it ends.
struct THREADTIMER
{
    ThreadTimer* owner;
    unsigned int delay;
    HANDLE stopEvent;
    HANDLE thread;
    unsigned int threadId;
    // Set by killThreadTimer: a timer cancelled after its delay ran out, but before its
    // callback began, does not call back either.
    bool cancelled;
};

// One delayed callback on a thread of its own, which can be cancelled before it fires.
class LIBAPI ThreadTimer
{
public:
    ThreadTimer();
    // A copy has no timers: they stay with the object that started them.
    ThreadTimer(ThreadTimer const& other);
    ThreadTimer& operator=(ThreadTimer const& other);
    ~ThreadTimer();

protected:
    // Throws Win32Exception when the event or the thread cannot be created.
    virtual THREADTIMER* startThreadTimer(unsigned int delay);
    // Cancels the timer and returns when its thread has left the callback (if it ran). A record
    // whose thread has just ended is recognised and left alone, so cancelling may race with the
    // expiry; once the callback is known to have run, the record must not be used again (a new
    // timer may get its memory). From inside the callback it only marks the timer cancelled.
    virtual void killThreadTimer(THREADTIMER* record);
    // Runs on the timer's own thread, without any lock of the library.
    virtual void notifyThreadTimer(THREADTIMER* record) = 0;

private:
    static DWORD WINAPI TimerThreadFunc(void* record);
};

#endif
