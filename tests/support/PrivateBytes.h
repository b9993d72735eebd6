// How much private memory this process has committed, for tests that prove an object frees what
// it allocated. Wine 8 answers the PrivateUsage of GetProcessMemoryInfo with a figure that does
// not grow with the heap (a leak of 6 MB went unseen), so the regions are summed here.
#ifndef PRIVATEBYTES_H
#define PRIVATEBYTES_H

#include <windows.h>

inline SIZE_T privateBytes()
{
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
    }
    return total;
}

#endif
