#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "HandleCount.h"
#include "ThreadTimer.h"
#include "Timer.h"
#include "WineWait.h"

namespace
{

class Wecker : public Timer
{
public:
    std::vector<UINT_PTR> seen;
    bool killInCallback = false;
    using Timer::startTimer, Timer::killTimer;

protected:
    void notifyTimer(UINT_PTR id) override
    {
        seen.push_back(id);
        if (killInCallback)
            killTimer(id);
    }
};

class ThreadWecker : public ThreadTimer
{
public:
    std::atomic<int> calls{0};
    std::atomic<bool> killed{false}, finished{false},
        fault{false}; // fault: called back after, or during, kill
    DWORD callbackThread = 0, recordThread = 0, holdMilliseconds = 0;
    int callbackPriority = THREAD_PRIORITY_ERROR_RETURN;
    HANDLE entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ~ThreadWecker() { CloseHandle(entered); }
    THREADTIMER* start(unsigned int delay) { return startThreadTimer(delay); }
    void kill(THREADTIMER* record)
    {
        killThreadTimer(record);
        killed = true;
        fault = fault || (calls > 0 && !finished);
    }

protected:
    void notifyThreadTimer(THREADTIMER* record) override
    {
        fault = fault || killed;
        callbackThread = GetCurrentThreadId();
        recordThread = record->threadId;
        callbackPriority = GetThreadPriority(GetCurrentThread());
        ++calls;
        SetEvent(entered);
        Sleep(holdMilliseconds);
        finished = true;
    }
};

}

TEST(TimerTest, EachObjectGetsOnlyItsOwnIdsUntilKilled)
{
    Wecker fast, slow, once;
    once.killInCallback = true;
    UINT_PTR fastId = fast.startTimer(20), slowId = slow.startTimer(70);
    once.startTimer(10);
    ASSERT_TRUE(fastId && slowId && fastId != slowId) << fastId << ", " << slowId;
    fast.killTimer(fastId + 1000); // unknown ids are harmless
    // The timers call back from this thread's message dispatching, served until the slow timer has
    // fired three times, however loaded the machine is.
    EXPECT_TRUE(waitUntil([&] { return slow.seen.size() >= 3; }, 20000));
    fast.killTimer(fastId);
    slow.killTimer(slowId);
    slow.killTimer(slowId);
    EXPECT_EQ(1u, once.seen.size()) << "a timer killed in its own callback fired again";
    EXPECT_GT(fast.seen.size(), 2 * slow.seen.size())
        << fast.seen.size() << " vs " << slow.seen.size();
    EXPECT_EQ(std::vector<UINT_PTR>(fast.seen.size(), fastId), fast.seen);
    EXPECT_EQ(std::vector<UINT_PTR>(slow.seen.size(), slowId), slow.seen);
    size_t count = fast.seen.size() + slow.seen.size();
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(count, fast.seen.size() + slow.seen.size()) << "killed timers still fire";
}

// Delay 0 in every third round; every fourth round is cancelled while its callback surely runs.
TEST(ThreadTimerTest, CancelsBeforeAndWhileFiringLeakNothingCallbacksRunOnTheTimersThread)
{
    std::vector<ThreadWecker> timers(1000);
    ThreadWecker early, late; // late: started after the others, see below
    int forced = 0;
    long const handles = openHandles();
    HANDLE extra = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(handles + 1, openHandles()) << "the handle count cannot see a new handle";
    CloseHandle(extra);
    DWORD begin = GetTickCount();
    early.kill(early.start(400));
    EXPECT_LT(GetTickCount() - begin, 300u) << "cancelling waited for the delay";
    int priority = GetThreadPriority(GetCurrentThread());
    SetThreadPriority(GetCurrentThread(),
                      THREAD_PRIORITY_BELOW_NORMAL); // the timer threads take the caller's
    for (int i = 0; i < 1000; ++i) {
        ThreadWecker& w = timers[i];
        w.holdMilliseconds = i % 4 == 0 ? 2 : i % 2;
        THREADTIMER* record = w.start(i % 3 == 0 ? 0 : 1);
        if (i % 4 == 0)
            forced += WaitForSingleObject(w.entered, 2000) == WAIT_OBJECT_0;
        else
            for (volatile int spin = 0; spin < (i % 7) * 2000; ++spin) {}
        w.kill(record);
    }
    SetThreadPriority(GetCurrentThread(), priority);
    // A timer started later with a longer delay has called back: the cancelled one would have by now.
    late.start(450);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(late.entered, 10000))
        << "the later timer never called back";
    EXPECT_EQ(0, early.calls.load()) << "cancelled before its delay, it still called back";
    // Timer threads close their handles as they end, after the callback: wait for that.
    waitUntil([&] { return late.finished.load(); }, 5000);
    waitUntil([&] { return openHandles() == handles; }, 10000);
    EXPECT_EQ(handles, openHandles()) << "handles leaked";
    EXPECT_EQ(250, forced) << "callbacks that never came";
    for (int i = 0; i < 1000; ++i) {
        ThreadWecker& w = timers[i];
        EXPECT_TRUE(w.calls <= 1 && !w.fault)
            << "round " << i << ": called twice or after killThreadTimer returned";
        EXPECT_TRUE(w.calls == 0 ||
                    (w.callbackThread != GetCurrentThreadId() &&
                     w.callbackThread == w.recordThread &&
                     w.callbackPriority == THREAD_PRIORITY_BELOW_NORMAL))
            << "round " << i;
    }
}
