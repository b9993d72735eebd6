// Helpers of the channel tests: the exception text the system should produce, and threads
// that a test can wait for with a time limit, so a hung request fails the test instead of
// hanging the run.
#ifndef CHANNELTESTUTIL_H
#define CHANNELTESTUTIL_H

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "Win32Exception.h"

// text, line break, the system's description of code as FormatMessageA gives it here,
// "(Fehlercode: N)".
inline std::string expectedMessage(char const* text, DWORD code)
{
    std::string message = std::string(text) + "\n";
    char* description = nullptr;
    if (FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&description), 0,
                       nullptr) &&
        description)
        message += description;
    if (description)
        LocalFree(description);
    return message + "(Fehlercode: " + std::to_string(code) + ")";
}

// Runs f, which must throw Win32Exception, and returns that (code 0xdeadbeef if none came).
template <class F> Win32Exception thrown(F f)
{
    try
    {
        f();
    }
    catch (Win32Exception& e)
    {
        return e;
    }
    ADD_FAILURE() << "no Win32Exception";
    return Win32Exception("nothing thrown", 0xdeadbeef);
}

// The values the next new handles of this process would get. Wine hands out the lowest free
// slots of the handle table, so a handle left open shows as a changed set, and the slots taken
// while an object lives tell how many handles it holds. (GetProcessHandleCount gives 0 there.)
inline std::vector<HANDLE> nextHandles(unsigned count = 16)
{
    std::vector<HANDLE> handles;
    for (unsigned i = 0; i < count; ++i)
        handles.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    for (HANDLE h : handles)
        if (h)
            CloseHandle(h);
    std::sort(handles.begin(), handles.end());
    return handles;
}

// How many of the slots that were free before are taken now.
inline size_t slotsTaken(std::vector<HANDLE> const& before, std::vector<HANDLE> const& now)
{
    size_t taken = 0;
    for (HANDLE h : before)
        if (!std::binary_search(now.begin(), now.end(), h))
            ++taken;
    return taken;
}

// Runs a function on a thread of its own. wait() gives up after a time limit; a thread that
// is still blocked then must be released by the test (cancel its request) before the object
// goes, and the destructor waits a last few seconds for it.
class TestThread
{
public:
    explicit TestThread(std::function<void()> body) : body(new std::function<void()>(std::move(body)))
    {
        thread = CreateThread(nullptr, 0, &TestThread::main, this->body, 0, nullptr);
    }
    ~TestThread()
    {
        if (!thread)
        {
            delete body;
            return;
        }
        // A runaway thread keeps its function (leaked): the test has failed already, and a
        // freed function under a running thread would only add a crash to it.
        if (WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0)
            delete body;
        CloseHandle(thread);
    }
    TestThread(TestThread const&) = delete;
    TestThread& operator=(TestThread const&) = delete;

    bool started() const { return thread != nullptr; }
    bool wait(DWORD milliseconds) { return thread && WaitForSingleObject(thread, milliseconds) == WAIT_OBJECT_0; }

private:
    static DWORD WINAPI main(void* body)
    {
        (*static_cast<std::function<void()>*>(body))();
        return 0;
    }

    std::function<void()>* body;
    HANDLE thread;
};

#endif
