#include "MutexLock.h"

#include "Mutex.h"

MutexLock::MutexLock(Mutex& mutex) : mutex(mutex)
{
    mutex.mutexLock();
}

MutexLock::~MutexLock()
{
    mutex.mutexUnlock();
}
