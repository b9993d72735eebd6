#include <gtest/gtest.h>
#include <windows.h>

#include "UsbDriver.h"

namespace
{
// The base opens nothing and leaves closing to the channel that opened.
class BareChannel : public UsbDriver
{
public:
    explicit BareChannel(unsigned char n) : UsbDriver(n) {}
    void adopt(HANDLE h) { handle = h; }
    unsigned char number() const { return deviceNumber; }
};

TEST(UsbDriverTest, BaseHoldsTheNumberAndClosesNothing)
{
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(nullptr, event);
    {
        BareChannel channel(255);
        EXPECT_EQ(255, channel.number());
        EXPECT_EQ(INVALID_HANDLE_VALUE, channel.getHandle());
        channel.adopt(event);
    }
    EXPECT_TRUE(SetEvent(event)) << "the base destructor closed a handle it does not own";
    EXPECT_TRUE(CloseHandle(event));
}
}
