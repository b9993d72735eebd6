#include "Mutex.h"

#include <windows.h>

Mutex::Mutex() : handle(CreateMutexA(nullptr, FALSE, nullptr))
{
}

Mutex::~Mutex()
{
    if (handle)
        CloseHandle(handle);
}

void Mutex::mutexLock()
{
    WaitForSingleObject(handle, INFINITE);
}

void Mutex::mutexUnlock()
{
    ReleaseMutex(handle);
}
