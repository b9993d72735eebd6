// Helpers of the channel tests: what a simulated device received, and threads with a time limit
// so that a hung request fails the test instead of the run.
#ifndef CHANNELTESTUTIL_H
#define CHANNELTESTUTIL_H

#include <functional>
#include <vector>

#include <windows.h>

#include "ErrorText.h"
#include "HandleCount.h"
#include "SimClient.h"

using Bytes = std::vector<unsigned char>;
using Entry = std::pair<unsigned long, Bytes>;
using Log = std::vector<Entry>;

// The requests device n of one driver received, as (code, payload).
inline Log received(bool krx, unsigned n)
{
    Log out;
    for (SimRequest const& r : SimClient::log(krx, n))
        out.emplace_back(r.code, r.payload);
    return out;
}

// Waits until device n of one driver has received a request with the code, i.e. a request that
// another thread started is outstanding there.
inline bool requestArrived(bool krx, unsigned n, unsigned long code)
{
    for (int i = 0; i < 250; ++i, Sleep(20))
        for (SimRequest const& r : SimClient::log(krx, n))
            if (r.code == code)
                return true;
    return false;
}

// Runs a function on a thread of its own; one still running at the end is released by cancelling
// the requests on `device`. One that even then does not end keeps its function (leaked): the
// test has failed already, and freeing it would only add a crash.
class TestThread
{
public:
    TestThread(HANDLE device, std::function<void()> f)
        : device(device), body(new std::function<void()>(std::move(f))),
          thread(CreateThread(nullptr, 0, &TestThread::main, body, 0, nullptr))
    {
    }
    TestThread(TestThread const&) = delete;
    ~TestThread()
    {
        if (!wait(0))
            CancelIoEx(device, nullptr);
        if (!thread || wait(5000))
            delete body;
        CloseHandle(thread);
    }
    bool wait(DWORD milliseconds)
    {
        return thread && WaitForSingleObject(thread, milliseconds) == WAIT_OBJECT_0;
    }

private:
    static DWORD WINAPI main(void* body)
    {
        return (*static_cast<std::function<void()>*>(body))(), 0;
    }

    HANDLE device;
    std::function<void()>* body;
    HANDLE thread;
};

#endif
