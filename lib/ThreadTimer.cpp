#include "ThreadTimer.h"

#include <memory>

#include "Boundary.h"
#include "Handle.h"
#include "LinkedList.h"
#include "MutexLock.h"
#include "Win32Exception.h"

namespace
{

// The records whose threads have not yet ended. The list's lock is the hand-over between a
// timer thread and killThreadTimer: the thread leaves the list and closes its handles under
// it, and killThreadTimer takes its own copy of the thread handle under it, so neither side
// ever uses a released record or a closed handle. The list is made before main and never
// destroyed: timer threads may still be running while the program's static objects go at exit.
LinkedList& running = *new LinkedList(true);

} // namespace

ThreadTimer::ThreadTimer()
{
}

ThreadTimer::ThreadTimer(ThreadTimer const&)
{
}

ThreadTimer& ThreadTimer::operator=(ThreadTimer const&)
{
    return *this;
}

ThreadTimer::~ThreadTimer()
{
}

THREADTIMER* ThreadTimer::startThreadTimer(unsigned int delay)
{
    Handle stopEvent = Handle::createEvent(true, false);
    if (!stopEvent.isValid()) {
        DWORD error = GetLastError();
        throw Win32Exception("Fehler beim Erzeugen des Timer-Ereignisses.", error);
    }
    std::unique_ptr<THREADTIMER> record(
        new THREADTIMER{this, delay, stopEvent.get(), nullptr, 0, false});
    DWORD id = 0;
    Handle thread(CreateThread(nullptr, 0, TimerThreadFunc, record.get(), CREATE_SUSPENDED, &id));
    if (!thread.isValid()) {
        DWORD error = GetLastError();
        throw Win32Exception("Fehler beim Starten des Timer-Threads.", error);
    }
    record->thread = thread.get();
    record->threadId = id;
    {
        MutexLock lock(running);
        running.insertAfterLast(record.get());
    }
    // From here on the timer thread owns the record and both handles.
    stopEvent.release();
    thread.release();
    THREADTIMER* started = record.release();
    SetThreadPriority(started->thread, GetThreadPriority(GetCurrentThread()));
    ResumeThread(started->thread);
    return started;
}

void ThreadTimer::killThreadTimer(THREADTIMER* record)
{
    Handle thread;
    {
        MutexLock lock(running);
        if (!record || !running.find(record))
            return;
        record->cancelled = true;
        SetEvent(record->stopEvent);
        // Called from the callback itself: waiting for this very thread would never end.
        if (record->threadId == GetCurrentThreadId())
            return;
        HANDLE process = GetCurrentProcess();
        HANDLE copy = nullptr;
        if (DuplicateHandle(process, record->thread, process, &copy, SYNCHRONIZE, FALSE, 0))
            thread.reset(copy);
    }
    if (thread.isValid()) {
        WaitForSingleObject(thread.get(), INFINITE);
        return;
    }
    // Without a handle of our own, wait until the thread has left the list, i.e. its callback.
    for (;;) {
        {
            MutexLock lock(running);
            if (!running.find(record))
                return;
        }
        Sleep(1);
    }
}

DWORD WINAPI ThreadTimer::TimerThreadFunc(void* parameter)
{
    THREADTIMER* record = static_cast<THREADTIMER*>(parameter);
    if (WaitForSingleObject(record->stopEvent, record->delay) == WAIT_TIMEOUT) {
        bool cancelled;
        {
            MutexLock lock(running);
            cancelled = record->cancelled;
        }
        if (!cancelled) {
            Boundary::guard(0, [&] {
                record->owner->notifyThreadTimer(record);
                return 0;
            });
        }
    }
    {
        MutexLock lock(running);
        running.remove(record);
        Handle stopEvent(record->stopEvent);
        Handle thread(record->thread);
    }
    delete record;
    return 0;
}
