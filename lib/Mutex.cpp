#include "Mutex.h"

#include <windows.h>

Mutex::Mutex() : handle(CreateMutexA(nullptr, FALSE, nullptr))
{
}

Mutex::~Mutex()
{
}

void Mutex::mutexLock()
{
    WaitForSingleObject(handle.get(), INFINITE);
}

void Mutex::mutexUnlock()
{
    ReleaseMutex(handle.get());
}
