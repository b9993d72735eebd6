// The download protocol against the simulated command station: the payloads it logged, in order.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "FirmwareWriter.h"
#include "HexTestUtil.h"
#include "SimClient.h"
#include "VlxUsbCodes.h"
#include "VlxUsbDriver.h"
#include "Win32Exception.h"
#include "resource.h"

namespace
{
using Bytes = std::vector<unsigned char>;
long const statusDeviceNotConnected = static_cast<long>(0xC000009DL); // ERROR_DEVICE_NOT_CONNECTED
long const statusIoDeviceError = static_cast<long>(0xC0000185L);      // ERROR_IO_DEVICE
unsigned char const DEVICE = 1;
Bytes const END_PAGE = {0x02, 0x00, 0x00, 0x00};

std::string show(std::vector<Bytes> const& payloads)
{
    std::string text;
    char pair[4];
    for (Bytes const& p : payloads)
    {
        for (size_t i = 0; i < p.size() && i < 6; i++)
            snprintf(pair, sizeof pair, "%02X ", p[i]), text += pair;
        text += p.size() > 6 ? "... (" + std::to_string(p.size()) + ")\n" : "\n";
    }
    return text;
}

// A block frame: 01, address low, address high, the bytes of the cells from `address` on.
Bytes block(std::vector<unsigned short> const& image, unsigned int address, unsigned int count)
{
    Bytes frame = {0x01, static_cast<unsigned char>(address & 0xFF), static_cast<unsigned char>(address >> 8)};
    for (unsigned int i = 0; i < count; i++)
        frame.push_back(static_cast<unsigned char>(image[address + i]));
    return frame;
}

// Cells from..to hold the low byte of their address mixed with a mark, so blocks tell apart.
void fill(std::vector<unsigned short>& image, unsigned int from, unsigned int to)
{
    for (unsigned int a = from; a <= to; a++)
        image[a] = static_cast<unsigned short>((a * 7 + 0x3C) & 0xFF);
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

    // The firmware payloads that reached the device, in order; no other request may appear.
    static std::vector<Bytes> payloads()
    {
        std::vector<Bytes> out;
        for (SimRequest const& r : SimClient::vlxLog(DEVICE))
        {
            EXPECT_EQ(static_cast<unsigned long>(VLX_WRITE_FIRMWARE_BLOCK), r.code);
            out.push_back(r.payload);
        }
        return out;
    }

    void expectPayloads(std::vector<Bytes> const& expected)
    {
        std::vector<Bytes> actual = payloads();
        EXPECT_EQ(expected, actual) << "expected:\n" << show(expected) << "sent:\n" << show(actual);
    }

    std::vector<unsigned short> image = std::vector<unsigned short>(FULL_IMAGE, EMPTY);
    std::unique_ptr<VlxUsbDriver> channel;
    std::unique_ptr<FirmwareWriter> writer;
};

TEST_F(FirmwareWriterTest, RangesWithoutBytesSendNothing)
{
    image[0x0FFF] = 0x11; // just outside
    image[0x2000] = 0x22;
    writer->writeRange(image.data(), 0x1FFF, 0x1000);
    writer->writeRange(image.data(), 0x0FFF, 0x2000); // from below to
    // Cells with bit 15 set count as empty, whatever the other bits say.
    image[0x3010] = 0x8000;
    image[0x3011] = 0xFF12;
    writer->writeRange(image.data(), 0x30FF, 0x3000);
    expectPayloads({});
}

TEST_F(FirmwareWriterTest, SingleByteIsOneBlockAndOnePageEnd)
{
    image[0x7000] = 0x5A;
    writer->writeRange(image.data(), 0x7FFC, 0x7000);
    expectPayloads({{0x01, 0x00, 0x70, 0x5A}, END_PAGE});
}

TEST_F(FirmwareWriterTest, PagesGoFromTheTopAndEachEndsOnce)
{
    fill(image, 0x0000, 0x0002);
    fill(image, 0x00F0, 0x00FF);
    writer->writeRange(image.data(), 0x00FF, 0x0000);
    expectPayloads({block(image, 0x00F0, 16), END_PAGE, block(image, 0x0000, 3), END_PAGE});
}

TEST_F(FirmwareWriterTest, AbsentCellsSplitRunsWithinOnePage)
{
    fill(image, 0x0100, 0x010F);
    fill(image, 0x0120, 0x012F);
    writer->writeRange(image.data(), 0x017F, 0x0100);
    expectPayloads({block(image, 0x0120, 16), block(image, 0x0100, 16), END_PAGE});
}

TEST_F(FirmwareWriterTest, RunAcrossAPageBoundaryIsCutAtThePageAndIn32ByteBlocks)
{
    fill(image, 0x6F50, 0x6F9F);
    writer->writeRange(image.data(), 0x6FFF, 0x0000);
    expectPayloads({block(image, 0x6F80, 32), END_PAGE, block(image, 0x6F60, 32), block(image, 0x6F50, 16), END_PAGE});
}

TEST_F(FirmwareWriterTest, FullPageGoesAsFourBlocksFromTheTop)
{
    fill(image, 0x0400, 0x047F);
    writer->writeRange(image.data(), 0x047F, 0x0400);
    expectPayloads({block(image, 0x0460, 32), block(image, 0x0440, 32), block(image, 0x0420, 32),
                    block(image, 0x0400, 32), END_PAGE});
}

TEST_F(FirmwareWriterTest, RangeEndsCutRunsAndPages)
{
    fill(image, 0x0500, 0x05FF);
    // From the middle of one page into the middle of the next: only the cells in the range.
    writer->writeRange(image.data(), 0x0590, 0x0575);
    expectPayloads({block(image, 0x0580, 17), END_PAGE, block(image, 0x0575, 11), END_PAGE});
    SimClient::vlxClearLog(DEVICE);
    writer->writeRange(image.data(), 0x0523, 0x0523);
    expectPayloads({block(image, 0x0523, 1), END_PAGE});
}

TEST_F(FirmwareWriterTest, TopThreeCellsAreNeverSent)
{
    fill(image, 0x7FE0, 0x7FFF);
    writer->writeRange(image.data(), 0x7FFC, 0x7000);
    expectPayloads({block(image, 0x7FE0, 29), END_PAGE});
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
    unsigned char bytes[] = {0xDE, 0xAD};
    writer->sendBlock(0x1234, bytes, 2);
    expectPayloads({{0x10, 0, 0, 0x00}, {0x10, 0, 0, 0x01}, {0x10, 0, 0, 0x03}, {0x10, 0, 0, 0x02},
                    {0x04, 0, 0, 0}, {0x08, 0, 0, 0}, END_PAGE, {0x01, 0x34, 0x12, 0xDE, 0xAD}});
}

// Checks a walk from its payloads alone: every present cell of from..to sent once, in blocks of
// one page, pages downward with one page end each, runs cut only where they must be.
void expectValidWalk(std::vector<Bytes> const& sent, std::vector<unsigned short> const& image, unsigned int from,
                     unsigned int to)
{
    std::vector<unsigned short> written(image.size(), EMPTY);
    long openPage = -1, lastPage = 0x10000, nextBelow = from + 1;
    for (size_t i = 0; i < sent.size(); i++)
    {
        Bytes const& p = sent[i];
        SCOPED_TRACE("payload " + std::to_string(i));
        if (p == END_PAGE)
        {
            ASSERT_NE(-1, openPage) << "page end without a block";
            lastPage = openPage;
            openPage = -1;
            continue;
        }
        ASSERT_EQ(0x01, p[0]);
        ASSERT_GE(p.size(), 4u);
        ASSERT_LE(p.size(), 35u);
        long address = p[1] | p[2] << 8, count = static_cast<long>(p.size()) - 3;
        long page = address >> 7;
        ASSERT_EQ(page, (address + count - 1) >> 7) << "block crosses a page";
        ASSERT_LE(address + count, nextBelow) << "blocks go downward without overlap";
        if (openPage == -1)
        {
            ASSERT_LT(page, lastPage);
            openPage = page;
        }
        ASSERT_EQ(openPage, page) << "block of another page before the page end";
        // A block is short only at an absent cell, a page start or the range's end.
        if (count < 32)
        {
            EXPECT_TRUE(address == static_cast<long>(to) || address % 128 == 0 || image[address - 1] & 0x8000)
                << std::hex << address;
        }
        for (long k = 0; k < count; k++)
            written[address + k] = p[3 + k];
        nextBelow = address;
    }
    EXPECT_EQ(-1, openPage) << "the last payload is a page end";
    for (unsigned int a = to; a <= from; a++)
        ASSERT_EQ(image[a] & 0x8000 ? EMPTY : image[a], written[a]) << "cell 0x" << std::hex << a;
}

TEST_F(FirmwareWriterTest, BuiltInImageWalksBothParts)
{
    IntelHexData hex(GetModuleHandleA(nullptr), IDR_FIRMWARE);
    ParseResult parsed = parseHex(hex, FULL_IMAGE);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    writer->writeRange(parsed.cells.data(), 0x7FFC, 0x7000);
    std::vector<Bytes> emergency = payloads();
    SimClient::vlxClearLog(DEVICE);
    writer->writeRange(parsed.cells.data(), 0x6FFF, 0x0000);
    std::vector<Bytes> normal = payloads();
    {
        SCOPED_TRACE("emergency part");
        expectValidWalk(emergency, parsed.cells, 0x7FFC, 0x7000);
    }
    {
        SCOPED_TRACE("normal part");
        expectValidWalk(normal, parsed.cells, 0x6FFF, 0x0000);
    }
    EXPECT_GT(normal.size(), emergency.size());
}

TEST_F(FirmwareWriterTest, FailuresStopTheWalkAtOnce)
{
    fill(image, 0x0000, 0x00FF); // 8 blocks and 2 page ends
    struct Case
    {
        unsigned succeeding;
        unsigned int logged;
    } cases[] = {{0, 1}, {2, 3}, {5, 6}, {4, 5}};
    for (Case c : cases)
    {
        SCOPED_TRACE("failure after " + std::to_string(c.succeeding) + " requests");
        SimClient::vlxClearLog(DEVICE);
        SimClient::vlxFail(DEVICE, VLX_WRITE_FIRMWARE_BLOCK, statusDeviceNotConnected, c.succeeding);
        DWORD code = 0;
        try
        {
            writer->writeRange(image.data(), 0x00FF, 0x0000);
        }
        catch (Win32Exception& e)
        {
            code = e.getCode();
        }
        EXPECT_EQ(static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED), code);
        // The failed request is the last one: nothing is repeated and nothing follows.
        EXPECT_EQ(c.logged, payloads().size());
    }
    // The fifth request of the walk is the first page end.
    EXPECT_EQ(END_PAGE, payloads().back());
}

TEST_F(FirmwareWriterTest, ResetAndWriteModeDropFailures)
{
    SimClient::vlxFail(DEVICE, VLX_WRITE_FIRMWARE_BLOCK, statusIoDeviceError, 0, true);
    EXPECT_NO_THROW(writer->setWriteMode(true, true));
    EXPECT_NO_THROW(writer->resetFirmware());
    EXPECT_THROW(writer->finishEmergencyPart(), Win32Exception);
    EXPECT_THROW(writer->endPage(), Win32Exception);
    unsigned char one = 1;
    EXPECT_THROW(writer->sendBlock(0, &one, 1), Win32Exception);
    // All five reached the device and failed there.
    EXPECT_EQ(5u, payloads().size());
}
}
