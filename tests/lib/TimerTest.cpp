#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "Timer.h"

namespace {

class Wecker : public Timer
{
public:
    std::vector<UINT_PTR> seen;
    bool killInCallback = false;

    UINT_PTR start(unsigned int elapse) { return startTimer(elapse); }
    void kill(UINT_PTR id) { killTimer(id); }

protected:
    void notifyTimer(UINT_PTR id) override
    {
        seen.push_back(id);
        if (killInCallback)
            killTimer(id);
    }
};

// The timers call back from this thread's message dispatching.
void pumpMessages(DWORD milliseconds)
{
    DWORD end = GetTickCount() + milliseconds;
    for (DWORD now = GetTickCount(); static_cast<LONG>(end - now) > 0; now = GetTickCount()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
}

}

TEST(TimerTest, EachObjectGetsOnlyItsOwnIds)
{
    Wecker fast, slow;
    UINT_PTR fastId = fast.start(20);
    UINT_PTR slowId = slow.start(70);
    ASSERT_NE(0u, fastId);
    ASSERT_NE(0u, slowId);
    ASSERT_NE(fastId, slowId);
    pumpMessages(700);
    fast.kill(fastId);
    slow.kill(slowId);

    EXPECT_GE(slow.seen.size(), 3u);
    EXPECT_GT(fast.seen.size(), 2 * slow.seen.size()) << fast.seen.size() << " vs " << slow.seen.size();
    for (UINT_PTR id : fast.seen)
        EXPECT_EQ(fastId, id);
    for (UINT_PTR id : slow.seen)
        EXPECT_EQ(slowId, id);

    size_t fastCount = fast.seen.size(), slowCount = slow.seen.size();
    pumpMessages(200);
    EXPECT_EQ(fastCount, fast.seen.size()) << "killed timer still fires";
    EXPECT_EQ(slowCount, slow.seen.size()) << "killed timer still fires";
}

TEST(TimerTest, KillingAnUnknownIdIsHarmless)
{
    Wecker w;
    UINT_PTR id = w.start(20);
    w.kill(id + 1000);
    w.kill(0);
    pumpMessages(200);
    EXPECT_GE(w.seen.size(), 3u) << "an unknown id stopped a running timer";

    w.kill(id);
    w.kill(id);
    size_t count = w.seen.size();
    pumpMessages(150);
    EXPECT_EQ(count, w.seen.size());
}

TEST(TimerTest, CallbackMayKillItsOwnTimer)
{
    Wecker once, other;
    once.killInCallback = true;
    once.start(10);
    UINT_PTR otherId = other.start(10);
    pumpMessages(250);
    other.kill(otherId);
    EXPECT_EQ(1u, once.seen.size());
    EXPECT_GE(other.seen.size(), 3u) << "killing from a callback disturbed another timer";
}
