#include "ThreadTimer.h"

#include <exception>

#include "LinkedList.h"
#include "Win32Exception.h"

namespace
{

// The records whose threads have not yet ended. The list's lock is the hand-over between a
// timer thread and killThreadTimer: the thread leaves the list and closes its handles under
// it, and killThreadTimer takes its own copy of the thread handle under it, so neither side
// ever uses a released record or a closed handle.
LinkedList running(true);

class RunningLock
{
public:
    RunningLock() { running.mutexLock(); }
    ~RunningLock() { running.mutexUnlock(); }
    RunningLock(RunningLock const&) = delete;
    RunningLock& operator=(RunningLock const&) = delete;
};

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
    THREADTIMER* record = new THREADTIMER{this, delay, nullptr, nullptr, 0, false};
    record->stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!record->stopEvent) {
        Win32Exception failure("Fehler beim Erzeugen des Timer-Ereignisses.");
        delete record;
        throw failure;
    }
    DWORD id = 0;
    record->thread = CreateThread(nullptr, 0, TimerThreadFunc, record, CREATE_SUSPENDED, &id);
    if (!record->thread) {
        Win32Exception failure("Fehler beim Starten des Timer-Threads.");
        CloseHandle(record->stopEvent);
        delete record;
        throw failure;
    }
    record->threadId = id;
    {
        RunningLock lock;
        running.insertAfterLast(record);
    }
    SetThreadPriority(record->thread, GetThreadPriority(GetCurrentThread()));
    ResumeThread(record->thread);
    return record;
}

void ThreadTimer::killThreadTimer(THREADTIMER* record)
{
    HANDLE thread = nullptr;
    {
        RunningLock lock;
        if (!record || !running.find(record))
            return;
        record->cancelled = true;
        SetEvent(record->stopEvent);
        // Called from the callback itself: waiting for this very thread would never end.
        if (record->threadId == GetCurrentThreadId())
            return;
        HANDLE process = GetCurrentProcess();
        if (!DuplicateHandle(process, record->thread, process, &thread, SYNCHRONIZE, FALSE, 0))
            thread = nullptr;
    }
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        return;
    }
    // Without a handle of our own, wait until the thread has left the list, i.e. its callback.
    for (;;) {
        {
            RunningLock lock;
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
            RunningLock lock;
            cancelled = record->cancelled;
        }
        if (!cancelled) {
            try {
                record->owner->notifyThreadTimer(record);
            } catch (std::exception& e) {
                // Nothing may leave the thread: it would end the whole program.
                OutputDebugStringA(e.what());
            }
        }
    }
    {
        RunningLock lock;
        running.remove(record);
        CloseHandle(record->stopEvent);
        CloseHandle(record->thread);
    }
    delete record;
    return 0;
}
