// Helpers of the channel tests: what a simulated device received, the exception texts, handle
// counting, and threads with a time limit, so a hung request fails the test instead of the run.
#ifndef CHANNELTESTUTIL_H
#define CHANNELTESTUTIL_H

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "SimClient.h"
#include "Win32Exception.h"

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

// text, line break, the system's description of code, "(Fehlercode: N)".
inline std::string expectedMessage(char const* text, DWORD code)
{
    char* description = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&description), 0, nullptr);
    std::string message = std::string(text) + "\n" + (description ? description : "");
    LocalFree(description);
    return message + "(Fehlercode: " + std::to_string(code) + ")";
}

// The text of the Win32Exception f throws, "" when it throws none.
template <class F> std::string thrownText(F f)
{
    try { f(); }
    catch (Win32Exception& e) { return e.what(); }
    return "";
}

// The values the next new handles of this process would get. Wine hands out the lowest free
// slots of the handle table, so a handle left open shows as a changed set, and the slots taken
// while an object lives tell how many handles it holds. (GetProcessHandleCount gives 0 there.)
inline std::vector<HANDLE> nextHandles()
{
    // The process's first exception leaves handles of the runtime open for good: not ours to count.
    static std::string const first = thrownText([] { throw Win32Exception("", ERROR_FILE_NOT_FOUND); });
    std::vector<HANDLE> handles;
    for (int i = 0; i < 16; ++i)
        handles.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    for (HANDLE h : handles)
        CloseHandle(h);
    std::sort(handles.begin(), handles.end());
    return handles;
}

// How many of the slots that were free before are taken now.
inline long slotsTaken(std::vector<HANDLE> const& before)
{
    std::vector<HANDLE> now = nextHandles();
    return std::count_if(before.begin(), before.end(),
                         [&](HANDLE h) { return !std::binary_search(now.begin(), now.end(), h); });
}

// Runs a function on a thread of its own; one still running at the end is released by cancelling
// the requests on `device`. One that even then does not end keeps its function (leaked): the
// test has failed already, and freeing it would only add a crash.
class TestThread
{
public:
    TestThread(HANDLE device, std::function<void()> f)
        : device(device), body(new std::function<void()>(std::move(f))),
          thread(CreateThread(nullptr, 0, &TestThread::main, body, 0, nullptr)) {}
    TestThread(TestThread const&) = delete;
    ~TestThread()
    {
        if (!wait(0))
            CancelIoEx(device, nullptr);
        if (!thread || wait(5000))
            delete body;
        CloseHandle(thread);
    }
    bool wait(DWORD milliseconds) { return thread && WaitForSingleObject(thread, milliseconds) == WAIT_OBJECT_0; }

private:
    static DWORD WINAPI main(void* body) { return (*static_cast<std::function<void()>*>(body))(), 0; }

    HANDLE device;
    std::function<void()>* body;
    HANDLE thread;
};

#endif
