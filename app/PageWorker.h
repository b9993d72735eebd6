#ifndef PAGEWORKER_H
#define PAGEWORKER_H

#include <windows.h>

#include <atomic>

#include "Handle.h"

// One worker thread of a page. The worker changes the page's controls and shows its failure
// box from its own thread, so the page's thread keeps serving sent messages while it waits for
// the worker to end, and never kills it: a stop sets the flag, cancels the request the worker
// may be blocked in, answers the worker's message box if one is up, and waits a limited time.
class PageWorker
{
public:
    PageWorker();
    // Stops a worker that still runs.
    ~PageWorker();
    PageWorker(PageWorker const&) = delete;
    PageWorker& operator=(PageWorker const&) = delete;

    // Starts procedure(parameter) on a new thread unless this worker runs already; false when
    // it runs already or no thread could be made.
    bool start(LPTHREAD_START_ROUTINE procedure, void* parameter);
    // True from start until the worker has ended or called finished().
    bool isRunning() const;
    // Read by the worker: leave the loop, show nothing more.
    bool stopRequested() const { return stopping; }
    // The worker's last call when it ends by itself: the next start makes a new thread.
    void finished() { selfEnded = true; }

    // Sets the stop flag and cancels every request on device (CancelIoEx: other threads' too).
    void requestStop(HANDLE device);
    // Waits at most timeoutMs for the worker to end, serving sent messages, answering its
    // message boxes and cancelling again (a request made just after the first cancel would
    // block for good); then releases the thread. True when the worker has ended.
    bool waitEnd(DWORD timeoutMs);

    // For a worker whose request failed without a stop of its own: taken before the request,
    // cancelledSince tells whether a stop of another worker may have cancelled it, so that
    // the worker tries again instead of reporting the failure.
    static unsigned cancelMark() { return cancelsDone; }
    static bool cancelledSince(unsigned mark) { return cancelsStarted != mark; }

private:
    void cancel();
    void release();

    static std::atomic<unsigned> cancelsStarted;
    static std::atomic<unsigned> cancelsDone;

    Handle thread;
    DWORD threadId;
    HANDLE device;
    std::atomic<bool> stopping;
    std::atomic<bool> selfEnded;
};

#endif
