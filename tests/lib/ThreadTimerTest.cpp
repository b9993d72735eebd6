#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <vector>

#include "ThreadTimer.h"

namespace {

class Wecker : public ThreadTimer
{
public:
    std::atomic<int> calls{0};
    std::atomic<bool> killed{false};
    std::atomic<bool> lateCall{false};    // a callback began after killThreadTimer returned
    std::atomic<bool> earlyReturn{false}; // killThreadTimer returned while the callback ran
    DWORD callbackThread = 0;
    DWORD recordThread = 0;
    int callbackPriority = THREAD_PRIORITY_ERROR_RETURN;
    DWORD holdMilliseconds = 0;
    HANDLE entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> finished{false};

    ~Wecker() { CloseHandle(entered); }
    THREADTIMER* start(unsigned int delay) { return startThreadTimer(delay); }
    void kill(THREADTIMER* record)
    {
        killThreadTimer(record);
        killed = true;
        earlyReturn = calls > 0 && !finished;
    }

protected:
    void notifyThreadTimer(THREADTIMER* record) override
    {
        lateCall = lateCall || killed;
        callbackThread = GetCurrentThreadId();
        recordThread = record->threadId;
        callbackPriority = GetThreadPriority(GetCurrentThread());
        ++calls;
        SetEvent(entered);
        Sleep(holdMilliseconds);
        finished = true;
    }
};

// Wine 8 answers GetProcessHandleCount with 0, so then count the open handles by asking for
// the information of every handle value (multiples of 4) up to a long run of unused ones.
DWORD handleCount()
{
    DWORD n = 0, flags, unused = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &n) && n > 0)
        return n;
    for (ULONG_PTR value = 4; unused < 1024; value += 4) {
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++n;
            unused = 0;
        } else {
            ++unused;
        }
    }
    return n;
}

}

TEST(ThreadTimerTest, CancelledBeforeItsDelayNeverCallsBack)
{
    Wecker w;
    DWORD handles = handleCount();
    DWORD begin = GetTickCount();
    w.kill(w.start(400));
    EXPECT_LT(GetTickCount() - begin, 300u) << "cancelling waited for the delay";
    EXPECT_EQ(handles, handleCount()) << "the timer thread left handles open";
    Sleep(600);
    EXPECT_EQ(0, w.calls.load());
}

TEST(ThreadTimerTest, ZeroDelayCallsBackOnTheNewThreadAtCallersPriority)
{
    Wecker w;
    HANDLE self = GetCurrentThread();
    int priority = GetThreadPriority(self);
    SetThreadPriority(self, THREAD_PRIORITY_BELOW_NORMAL);
    w.start(0);
    SetThreadPriority(self, priority);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(w.entered, 2000)) << "no callback";
    EXPECT_EQ(1, w.calls.load());
    EXPECT_NE(GetCurrentThreadId(), w.callbackThread);
    EXPECT_EQ(w.recordThread, w.callbackThread);
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, w.callbackPriority);
}

TEST(ThreadTimerTest, ThousandCancelsWhileFiringLeakNothing)
{
    int const rounds = 1000;
    std::vector<Wecker> timers(rounds);
    int forced = 0;
    DWORD handles = handleCount();
    HANDLE extra = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(handles + 1, handleCount()) << "the handle count cannot see a new handle";
    CloseHandle(extra);
    for (int i = 0; i < rounds; ++i) {
        Wecker& w = timers[i];
        w.holdMilliseconds = i % 4 == 0 ? 2 : i % 2;
        THREADTIMER* record = w.start(i % 3 == 0 ? 0 : 1);
        if (i % 4 == 0) {
            // The callback surely runs while it is cancelled.
            ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(w.entered, 2000)) << "round " << i;
            ++forced;
        } else {
            for (volatile int spin = 0; spin < (i % 7) * 2000; ++spin) {}
        }
        w.kill(record);
    }
    EXPECT_EQ(handles, handleCount()) << "handles leaked";
    int calls = 0;
    for (int i = 0; i < rounds; ++i) {
        EXPECT_LE(timers[i].calls.load(), 1) << "round " << i;
        EXPECT_FALSE(timers[i].lateCall) << "round " << i << ": callback after the cancellation";
        EXPECT_FALSE(timers[i].earlyReturn) << "round " << i << ": killThreadTimer returned while the callback ran";
        calls += timers[i].calls;
    }
    EXPECT_GE(calls, forced);
}
