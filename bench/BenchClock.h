// The benchmarks' clock.
#ifndef BENCHCLOCK_H
#define BENCHCLOCK_H

#include <windows.h>

namespace bench
{
// Seconds on the performance counter.
inline double now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}
} // namespace bench

#endif
