// The download protocol against the simulated command station: the payloads it logged, in order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <set>

#include "FirmwareWriter.h"
#include "HexTestUtil.h"
#include "SimClient.h"
#include "VlxUsbCodes.h"
#include "VlxUsbDriver.h"
#include "Win32Exception.h"

// Every operator new of this program is counted while `counting` is set (the library's other
// forms end in these), to show that a walk allocates nothing: its run buffer lives on the stack.
namespace
{
bool counting = false;
unsigned long allocations = 0;

void* allocate(std::size_t size)
{
    allocations += counting;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
}
void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace
{
unsigned char const DEVICE = 1;
char const P[] = "02 00 00 00"; // end of page

// An image whose cells from..to of each range are present, and absent elsewhere with bit 15 set
// and varying other bits: a writer that looks at more than bit 15 sends them.
Cells image(std::vector<std::pair<unsigned int, unsigned int>> const& present)
{
    Cells cells(FULL_IMAGE);
    for (unsigned int a = 0; a < FULL_IMAGE; a++)
        cells[a] = static_cast<unsigned short>(0x8000 | a * 0x1235);
    for (auto const& r : present)
        for (unsigned int a = r.first; a <= r.second; a++)
            cells[a] = static_cast<unsigned short>((a * 7 + 0x3C) & 0xFF);
    return cells;
}

class FirmwareWriterTest : public testing::Test
{
protected:
    void SetUp() override
    {
        SimClient::resetAll();
        SimClient::vlxAdd(DEVICE);
        channel.reset(new VlxUsbDriver(DEVICE));
        writer.reset(new FirmwareWriter(channel.get()));
    }
    void TearDown() override
    {
        writer.reset();
        channel.reset();
        SimClient::resetAll();
    }

    // The logged payloads as text: a block as "address+count" (with "!" where its bytes are not
    // those of `cells`), any other payload as its bytes; then the log is cleared.
    static std::vector<std::string> sent(Cells const& cells)
    {
        std::vector<std::string> out;
        char text[40];
        for (SimRequest const& r : SimClient::vlxLog(DEVICE))
        {
            std::vector<unsigned char> const& p = r.payload;
            unsigned int address = p.size() > 3 ? p[1] | p[2] << 8 : 0, same = 1;
            for (size_t i = 3; i < p.size(); i++)
                same &= address + i - 3 < cells.size() && cells[address + i - 3] == p[i];
            if (r.code != VLX_WRITE_FIRMWARE_BLOCK || p.size() < 4)
                snprintf(text, sizeof text, "request %lX, %u bytes", r.code, static_cast<unsigned int>(p.size()));
            else if (p[0] == 0x01)
                snprintf(text, sizeof text, "%04X+%u%s", address, static_cast<unsigned int>(p.size() - 3), same ? "" : "!");
            else
                snprintf(text, sizeof text, "%02X %02X %02X %02X%s", p[0], p[1], p[2], p[3], p.size() > 4 ? "..." : "");
            out.push_back(text);
        }
        SimClient::vlxClearLog(DEVICE);
        return out;
    }

    std::unique_ptr<VlxUsbDriver> channel;
    std::unique_ptr<FirmwareWriter> writer;
};

TEST_F(FirmwareWriterTest, RangesGoPageByPageFromTheTopInBlocksOfTheirRuns)
{
    struct
    {
        char const* name;
        std::vector<std::pair<unsigned int, unsigned int>> present;
        unsigned short from, to;
        std::vector<std::string> sent;
    } const cases[] = {
        {"no byte in the range", {{0x0FFF, 0x0FFF}, {0x2000, 0x2000}}, 0x1FFF, 0x1000, {}},
        {"from below to", {{0x0FFF, 0x2000}}, 0x0FFF, 0x2000, {}},
        {"a single byte", {{0x7000, 0x7000}}, 0x7FFC, 0x7000, {"7000+1", P}},
        {"one end per page", {{0x0000, 0x0002}, {0x00F0, 0x00FF}}, 0x00FF, 0x0000, {"00F0+16", P, "0000+3", P}},
        {"absent cells split runs", {{0x0100, 0x010F}, {0x0120, 0x012F}}, 0x017F, 0x0100, {"0120+16", "0100+16", P}},
        {"a run across a page boundary", {{0x6F50, 0x6F9F}}, 0x6FFF, 0x0000,
         {"6F80+32", P, "6F60+32", "6F50+16", P}},
        {"a full page", {{0x0400, 0x047F}}, 0x047F, 0x0400, {"0460+32", "0440+32", "0420+32", "0400+32", P}},
        {"range ends cut runs", {{0x0500, 0x05FF}}, 0x0590, 0x0575, {"0580+17", P, "0575+11", P}},
        {"a range of one cell", {{0x0500, 0x05FF}}, 0x0523, 0x0523, {"0523+1", P}},
        {"the top three cells are never sent", {{0x7FE0, 0x7FFF}}, 0x7FFC, 0x7000, {"7FE0+29", P}},
    };
    for (auto const& c : cases)
    {
        Cells cells = image(c.present);
        writer->writeRange(cells.data(), c.from, c.to);
        EXPECT_EQ(c.sent, sent(cells)) << c.name;
    }
}

TEST_F(FirmwareWriterTest, CommandsHaveTheirFrames)
{
    writer->setWriteMode(false, false);
    writer->setWriteMode(true, false);
    writer->setWriteMode(true, true);
    writer->setWriteMode(false, true);
    writer->finishEmergencyPart();
    writer->resetFirmware();
    writer->endPage();
    Cells cells = image({{0x1234, 0x1235}});
    unsigned char bytes[] = {static_cast<unsigned char>(cells[0x1234]), static_cast<unsigned char>(cells[0x1235])};
    writer->sendBlock(0x1234, bytes, 2);
    EXPECT_EQ(std::vector<std::string>({"10 00 00 00", "10 00 00 01", "10 00 00 03", "10 00 00 02", "04 00 00 00",
                                        "08 00 00 00", P, "1234+2"}),
              sent(cells));
}

TEST_F(FirmwareWriterTest, BuiltInImageGoesWholeWithoutHeapAllocation)
{
    IntelHexData hex(GetModuleHandleA(nullptr), IDR_FIRMWARE);
    ParseResult parsed = parseHex(hex);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    // The counter itself works: a parse allocates its image.
    counting = true;
    delete[] hex.parse(FULL_IMAGE);
    counting = false;
    EXPECT_EQ(1u, allocations);

    // As in an update, the write phase is opened first: whatever the channel sets up once is then
    // in place, and only the walks are counted.
    writer->setWriteMode(true, false);
    SimClient::vlxClearLog(DEVICE);
    allocations = 0;
    counting = true;
    writer->writeRange(parsed.cells.data(), 0x7FFC, 0x7000);
    writer->writeRange(parsed.cells.data(), 0x6FFF, 0x0000);
    counting = false;
    EXPECT_EQ(0u, allocations);

    // Every present cell below 0x7FFD sent once with its byte; one page end per page with data.
    std::vector<int> times(FULL_IMAGE);
    std::set<unsigned int> pages;
    unsigned int ends = 0;
    for (SimRequest const& r : SimClient::vlxLog(DEVICE))
    {
        std::vector<unsigned char> const& p = r.payload;
        ASSERT_TRUE(p.size() >= 4 && p.size() <= 35) << p.size();
        if (p == std::vector<unsigned char>{0x02, 0, 0, 0})
        {
            ends++;
            continue;
        }
        unsigned int address = p[1] | p[2] << 8;
        ASSERT_EQ(0x01, p[0]);
        ASSERT_EQ(address >> 7, (address + p.size() - 4) >> 7) << "block across a page at " << address;
        pages.insert(address >> 7);
        for (size_t i = 3; i < p.size(); i++, address++)
        {
            times[address]++;
            ASSERT_EQ(parsed.cells[address], p[i]) << "cell 0x" << std::hex << address;
        }
    }
    for (unsigned int a = 0; a < FULL_IMAGE; a++)
        ASSERT_EQ(a < 0x7FFD && parsed.cells[a] < 0x100, times[a]) << "cell 0x" << std::hex << a;
    EXPECT_EQ(pages.size(), ends);
}

TEST_F(FirmwareWriterTest, FailuresOfTheWalkStopItAtOnce)
{
    Cells cells = image({{0x0000, 0x00FF}});
    std::vector<std::string> const walk = {"00E0+32", "00C0+32", "00A0+32", "0080+32", P,
                                           "0060+32", "0040+32", "0020+32", "0000+32", P};
    for (unsigned int succeeding : {0, 2, 4, 5})
    {
        SimClient::vlxFail(DEVICE, VLX_WRITE_FIRMWARE_BLOCK, static_cast<long>(0xC000009DL), succeeding);
        DWORD code = 0;
        try
        {
            writer->writeRange(cells.data(), 0x00FF, 0x0000);
        }
        catch (Win32Exception& e)
        {
            code = e.getCode();
        }
        EXPECT_EQ(static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED), code) << succeeding;
        // The failed request is the last one: nothing is repeated and nothing follows.
        EXPECT_EQ(std::vector<std::string>(walk.begin(), walk.begin() + succeeding + 1), sent(cells));
    }
}

TEST_F(FirmwareWriterTest, ResetAndWriteModeDropFailures)
{
    SimClient::vlxFail(DEVICE, VLX_WRITE_FIRMWARE_BLOCK, static_cast<long>(0xC0000185L), 0, true);
    EXPECT_NO_THROW(writer->setWriteMode(true, true));
    EXPECT_NO_THROW(writer->resetFirmware());
    EXPECT_THROW(writer->finishEmergencyPart(), Win32Exception);
    EXPECT_THROW(writer->endPage(), Win32Exception);
    unsigned char one = 1;
    EXPECT_THROW(writer->sendBlock(0, &one, 1), Win32Exception);
    EXPECT_EQ(5u, sent(Cells()).size()) << "all five reached the device and failed there";
}
}
