// The download protocol against the simulated command station: the payloads it logged, in order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "FirmwareWriter.h"
#include "HexTestUtil.h"
#include "SimClient.h"
#include "VlxUsbCodes.h"
#include "VlxUsbDriver.h"

// Every allocation of this program is counted while `counting` is set (the other forms of new end
// in this one, and the library's delete frees with free), to show that a walk allocates nothing:
// its run buffer lives on the stack.
bool counting = false;
unsigned long allocations = 0;
void* operator new(std::size_t size)
{
    allocations += counting;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

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

    // The logged payloads as text, then the log is cleared: a block as "address+count" (with "!"
    // where its bytes are not those of `cells`), another firmware payload as its bytes.
    static std::vector<std::string> sent(Cells const& cells)
    {
        std::vector<std::string> out;
        for (SimRequest const& r : SimClient::vlxLog(DEVICE)) {
            std::vector<unsigned char> const& p = r.payload;
            char text[40] = "another request";
            if (r.code == VLX_WRITE_FIRMWARE_BLOCK && p.size() > 3 && p[0] == 0x01) {
                unsigned int address = p[1] | p[2] << 8,
                             count = static_cast<unsigned int>(p.size() - 3);
                bool same = address + count <= cells.size() &&
                    std::equal(p.begin() + 3, p.end(), cells.begin() + address);
                snprintf(text, sizeof text, "%04X+%u%s", address, count, same ? "" : "!");
            } else if (r.code == VLX_WRITE_FIRMWARE_BLOCK && p.size() == 4)
                snprintf(text, sizeof text, "%02X %02X %02X %02X", p[0], p[1], p[2], p[3]);
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
        {"one end per page",
         {{0x0000, 0x0002}, {0x00F0, 0x00FF}},
         0x00FF,
         0x0000,
         {"00F0+16", P, "0000+3", P}},
        {"absent cells split runs",
         {{0x0100, 0x010F}, {0x0120, 0x012F}},
         0x017F,
         0x0100,
         {"0120+16", "0100+16", P}},
        {"a run across a page boundary",
         {{0x6F50, 0x6F9F}},
         0x6FFF,
         0x0000,
         {"6F80+32", P, "6F60+32", "6F50+16", P}},
        {"a full page",
         {{0x0400, 0x047F}},
         0x047F,
         0x0400,
         {"0460+32", "0440+32", "0420+32", "0400+32", P}},
        {"range ends cut runs", {{0x0500, 0x05FF}}, 0x0590, 0x0575, {"0580+17", P, "0575+11", P}},
    };
    for (auto const& c : cases) {
        Cells cells = image(c.present);
        writer->writeRange(cells.data(), c.from, c.to);
        EXPECT_EQ(c.sent, sent(cells)) << c.name;
    }
}

// A guard of the block's frame buffer: counts that no frame holds never reach the channel.
TEST_F(FirmwareWriterTest, BlockCountsWithoutAFrameAreRefusedBeforeTheChannel)
{
    unsigned char const spare[64] = {};
    for (unsigned char count : {0, 33})
        EXPECT_THROW(writer->sendBlock(0x1234, spare, count), Exception) << int(count);
    EXPECT_EQ(std::vector<std::string>(), sent(image({})));
}

TEST_F(FirmwareWriterTest, BuiltInImageGoesWholeWithoutHeapAllocation)
{
    IntelHexData hex(GetModuleHandleA(nullptr), IDR_FIRMWARE);
    ParseResult parsed = parseHex(hex);
    counting = true; // the counter itself works: a parse allocates its image
    delete[] hex.parse(FULL_IMAGE);
    counting = false;
    EXPECT_EQ(1u, allocations);
    // Opened first, as in an update, so that what the channel sets up once is in place.
    writer->setWriteMode(true, false);
    SimClient::vlxClearLog(DEVICE);
    allocations = 0;
    counting = true;
    writer->writeRange(parsed.cells.data(), 0x7FFC, 0x7000);
    writer->writeRange(parsed.cells.data(), 0x6FFF, 0x0000);
    counting = false;
    EXPECT_EQ(0u, allocations);
    std::vector<std::string> log = sent(parsed.cells);
    EXPECT_GT(log.size(), 7416u / 32) << "the walks reached the device";
    EXPECT_EQ(0, std::count_if(log.begin(), log.end(), [](std::string const& s) {
                  return s.back() == '!';
              }));
}
}
