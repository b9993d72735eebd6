#ifndef MUTEXLOCK_H
#define MUTEXLOCK_H

#include "LibApi.h"

class Mutex;

// Holds a Mutex from construction to destruction, so it is released on every way out.
class LIBAPI MutexLock
{
public:
    explicit MutexLock(Mutex& mutex);
    ~MutexLock();

private:
    MutexLock(MutexLock const&) = delete;
    MutexLock& operator=(MutexLock const&) = delete;

    Mutex& mutex;
};

#endif
