#include "FirmwareWriter.h"

#include <cstring>
#include <utility>

#include "Exception.h"
#include "VlxUsbDriver.h"

namespace
{
unsigned char const CMD_BLOCK = 0x01;
unsigned char const CMD_END_PAGE = 0x02;
unsigned char const CMD_FINISH_EMERGENCY = 0x04;
unsigned char const CMD_RESET = 0x08;
unsigned char const CMD_WRITE_MODE = 0x10;

unsigned char const FLAG_ENABLE = 0x01;
unsigned char const FLAG_NORMAL_PART = 0x02;

inline bool present(unsigned short cell)
{
    return (cell & 0x8000) == 0;
}

inline unsigned int pageOf(unsigned int address)
{
    return address >> 7;
}
}

FirmwareWriter::FirmwareWriter(VlxUsbDriver* channel, std::function<void()> beforeRequest)
    : channel(channel), beforeRequest(std::move(beforeRequest))
{
}

FirmwareWriter::~FirmwareWriter()
{
}

namespace
{
// The walk of writeRange, handing each block and page end to `out`: out.block(address, data,
// count) and out.pageEnd(). Shared by the writer and by the count of its requests.
template <typename Out>
void walkRange(unsigned short const* image, unsigned short from, unsigned short to, Out& out)
{
    unsigned int const BLOCK_SIZE = FirmwareWriter::BLOCK_SIZE;
    // The run fills from the back: the walk goes downward, the block goes out ascending.
    unsigned char run[BLOCK_SIZE];
    unsigned int count = 0;
    bool pageOpen = false;
    unsigned int openPage = 0;

    // int, so that a - 1 below address 0 is simply below `to`.
    for (int a = from; a >= to; a--) {
        if (present(image[a])) {
            count++;
            run[BLOCK_SIZE - count] = static_cast<unsigned char>(image[a]);
            if (!pageOpen) {
                pageOpen = true;
                openPage = pageOf(a);
            }
        }
        bool lastInRange = a - 1 < to;
        if (count != 0 &&
            (lastInRange || !present(image[a - 1]) || count == BLOCK_SIZE ||
             pageOf(a - 1) != openPage)) {
            out.block(static_cast<unsigned short>(a), run + BLOCK_SIZE - count,
                      static_cast<unsigned char>(count));
            count = 0;
        }
        if (pageOpen && (lastInRange || pageOf(a - 1) != openPage)) {
            out.pageEnd();
            pageOpen = false;
        }
    }
}
}

void FirmwareWriter::writeRange(unsigned short const* image, unsigned short from, unsigned short to)
{
    struct
    {
        FirmwareWriter* writer;
        void block(unsigned short address, unsigned char const* data, unsigned char count)
        {
            writer->sendBlock(address, data, count);
        }
        void pageEnd() { writer->endPage(); }
    } out{this};
    walkRange(image, from, to, out);
}

unsigned int FirmwareWriter::countRange(unsigned short const* image, unsigned short from,
                                        unsigned short to)
{
    struct
    {
        unsigned int requests;
        void block(unsigned short, unsigned char const*, unsigned char) { requests++; }
        void pageEnd() { requests++; }
    } out{0};
    walkRange(image, from, to, out);
    return out.requests;
}

void FirmwareWriter::sendBlock(unsigned short address, unsigned char const* data,
                               unsigned char count)
{
    // writeRange never asks for more; a larger count would overrun the frame buffer.
    if (count == 0 || count > BLOCK_SIZE)
        throw Exception("Ungültige Blocklänge.");
    unsigned char frame[3 + BLOCK_SIZE];
    frame[0] = CMD_BLOCK;
    frame[1] = static_cast<unsigned char>(address & 0xFF);
    frame[2] = static_cast<unsigned char>(address >> 8);
    memcpy(frame + 3, data, count);
    send(frame, static_cast<unsigned char>(3 + count));
}

void FirmwareWriter::endPage()
{
    sendCommand(CMD_END_PAGE, 0);
}

void FirmwareWriter::finishEmergencyPart()
{
    sendCommand(CMD_FINISH_EMERGENCY, 0);
}

void FirmwareWriter::resetFirmware()
{
    try {
        sendCommand(CMD_RESET, 0);
    } catch (Exception&) {
    }
}

void FirmwareWriter::setWriteMode(bool enable, bool normalPart)
{
    unsigned char flags = static_cast<unsigned char>((enable ? FLAG_ENABLE : 0) |
                                                     (normalPart ? FLAG_NORMAL_PART : 0));
    try {
        sendCommand(CMD_WRITE_MODE, flags);
    } catch (Exception&) {
    }
}

void FirmwareWriter::sendCommand(unsigned char code, unsigned char flags)
{
    unsigned char frame[4] = {code, 0x00, 0x00, flags};
    send(frame, sizeof frame);
}

void FirmwareWriter::send(unsigned char const* payload, unsigned char length)
{
    if (beforeRequest)
        beforeRequest();
    channel->writeFirmwareBlock(payload, length);
}
