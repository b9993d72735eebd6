#include "PageWorker.h"

namespace
{
const DWORD WAIT_SLICE_MS = 50;
const DWORD DESTRUCTOR_WAIT_MS = 2000;

// A message box of the worker: press its OK, so the worker comes back from MessageBox.
BOOL CALLBACK answerBox(HWND window, LPARAM)
{
    char name[16] = "";
    if (GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0)
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}
}

std::atomic<unsigned> PageWorker::cancelsStarted(0);
std::atomic<unsigned> PageWorker::cancelsDone(0);

PageWorker::PageWorker()
    : threadId(0), device(INVALID_HANDLE_VALUE), stopping(false), selfEnded(false)
{
}

PageWorker::~PageWorker()
{
    if (thread.isValid()) {
        requestStop(INVALID_HANDLE_VALUE);
        waitEnd(DESTRUCTOR_WAIT_MS);
    }
}

bool PageWorker::isRunning() const
{
    return thread.isValid() && !selfEnded && WaitForSingleObject(thread.get(), 0) == WAIT_TIMEOUT;
}

bool PageWorker::start(LPTHREAD_START_ROUTINE procedure, void* parameter)
{
    if (isRunning())
        return false;
    release();
    stopping = false;
    selfEnded = false;
    thread.reset(CreateThread(NULL, 0, procedure, parameter, 0, &threadId));
    return thread.isValid();
}

void PageWorker::requestStop(HANDLE device)
{
    stopping = true;
    this->device = device;
    cancel();
}

void PageWorker::cancel()
{
    if (device == INVALID_HANDLE_VALUE)
        return;
    // Without an OVERLAPPED this cancels every thread's request on the handle; the marks let a
    // worker that loses a request this way try again.
    ++cancelsStarted;
    // Fails with ERROR_NOT_FOUND when nothing is pending, which is fine here.
    CancelIoEx(device, NULL);
    ++cancelsDone;
}

bool PageWorker::waitEnd(DWORD timeoutMs)
{
    if (!thread.isValid())
        return true;
    bool ended = false;
    DWORD start = GetTickCount();
    for (;;) {
        // A box may come up at any moment until the worker has seen its stop flag.
        EnumThreadWindows(threadId, answerBox, 0);
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            break;
        if (elapsed > 0)
            cancel();
        DWORD slice = timeoutMs - elapsed < WAIT_SLICE_MS ? timeoutMs - elapsed : WAIT_SLICE_MS;
        HANDLE waitOn = thread.get();
        DWORD r = MsgWaitForMultipleObjects(1, &waitOn, FALSE, slice, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        if (r == WAIT_OBJECT_0 + 1) {
            MSG msg;
            PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        } else if (r == WAIT_FAILED) {
            break;
        }
    }
    release();
    return ended;
}

void PageWorker::release()
{
    thread.close();
    threadId = 0;
    device = INVALID_HANDLE_VALUE;
}
