// The walk of writeRange allocates nothing: its run buffer lives on the stack. Every operator
// new of this program is counted while a walk runs against the simulated command station (the
// library's nothrow forms end in these).
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "FirmwareWriter.h"
#include "HexTestUtil.h"
#include "SimClient.h"
#include "VlxUsbDriver.h"
#include "resource.h"

namespace
{
bool counting = false;
unsigned long allocations = 0;

void* allocate(std::size_t size)
{
    if (counting)
        allocations++;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
}

void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace
{
TEST(FirmwareWriterHeapTest, WalkAllocatesNothing)
{
    SimClient::resetAll();
    SimClient::vlxAdd(1);
    IntelHexData hex(GetModuleHandleA(nullptr), IDR_FIRMWARE);
    unsigned short* image = hex.parse(FULL_IMAGE);
    {
        VlxUsbDriver channel(1);
        FirmwareWriter writer(&channel);

        // The counter itself works: a parse allocates its image.
        counting = true;
        delete[] hex.parse(FULL_IMAGE);
        counting = false;
        EXPECT_EQ(1u, allocations);

        // As in an update, the write phase is opened first; whatever the channel sets up once for
        // the process is then in place, and only the walks are counted.
        writer.setWriteMode(true, false);
        allocations = 0;
        counting = true;
        writer.writeRange(image, 0x7FFC, 0x7000);
        writer.writeRange(image, 0x6FFF, 0x0000);
        counting = false;
        EXPECT_EQ(0u, allocations);
    }
    delete[] image;
    // 7419 bytes in blocks of at most 32, and the page ends.
    EXPECT_GT(SimClient::vlxLog(1).size(), 7419u / 32) << "the walks reached the device";
    SimClient::resetAll();
}
}
