#ifndef MUTEX_H
#define MUTEX_H

#include "Handle.h"
#include "LibApi.h"

// An unnamed system mutex. It is re-entrant: the owning thread may lock it again and must
// unlock it as often as it locked it (the lists rely on this).
class LIBAPI Mutex
{
public:
    Mutex();
    virtual ~Mutex();

    void mutexLock();
    void mutexUnlock();

private:
    Mutex(Mutex const&) = delete;
    Mutex& operator=(Mutex const&) = delete;

    Handle handle;
};

#endif
