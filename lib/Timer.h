#ifndef TIMER_H
#define TIMER_H

#include <windows.h>

#include "LibApi.h"
#include "LinkedList.h"
#include "Mutex.h"

// Periodic callbacks from the system's window-less timers. The system calls back on the
// thread that started the timer, from its message dispatching, so that thread must run a
// message loop. A derived object must kill its timers before it is destroyed.
class LIBAPI Timer
{
public:
    Timer();
    // A copy has no timers: they stay with the object that started them.
    Timer(Timer const& other);
    Timer& operator=(Timer const& other);
    ~Timer();

protected:
    // Returns the id the system chose, or 0 when it could not create the timer.
    virtual UINT_PTR startTimer(unsigned int elapse);
    // An id that is not running does nothing.
    virtual void killTimer(UINT_PTR id);
    // Runs while Timer::mutex is held: it may start or kill timers on this thread.
    virtual void notifyTimer(UINT_PTR id) = 0;

private:
    static void CALLBACK TimerProc(HWND window, UINT msg, UINT_PTR id, DWORD time);

    // Records of every running timer of the process, guarded by mutex.
    static LinkedList listTimer;
    static Mutex mutex;
};

#endif
