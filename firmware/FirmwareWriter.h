#ifndef FIRMWAREWRITER_H
#define FIRMWAREWRITER_H

#include <functional>

class VlxUsbDriver;

// Frames firmware for the command station's firmware write: data blocks of at most 32 bytes
// that never cross a 128-byte page, an end-of-page command after each page, and the four-byte
// commands around the two write phases. Does not own the channel.
class FirmwareWriter
{
public:
    // beforeRequest, when given, runs before each firmware request, so that a caller can count
    // them and name the one that failed.
    explicit FirmwareWriter(VlxUsbDriver* channel, std::function<void()> beforeRequest = nullptr);
    ~FirmwareWriter();

    // Sends the present cells (bit 15 clear) from `from` down to `to`, both included, page by
    // page from the top. Nothing when from < to. A channel failure ends the walk at once.
    void writeRange(unsigned short const* image, unsigned short from, unsigned short to);
    // How many requests writeRange sends for these cells: blocks and page ends.
    static unsigned int countRange(unsigned short const* image, unsigned short from,
                                   unsigned short to);
    // A block frame carries 1 to 32 bytes, the size of the frame buffer. Any other count is a
    // caller's error: it throws Exception("Ungültige Blocklänge.") and nothing reaches the channel.
    void sendBlock(unsigned short address, unsigned char const* data, unsigned char count);
    void endPage();
    void finishEmergencyPart();
    // Failures of these two are dropped: the device may already be restarting.
    void resetFirmware();
    void setWriteMode(bool enable, bool normalPart);

    static unsigned int const PAGE_SIZE = 128;
    static unsigned int const BLOCK_SIZE = 32;

private:
    void sendCommand(unsigned char code, unsigned char flags);
    void send(unsigned char const* payload, unsigned char length);

    VlxUsbDriver* channel;
    std::function<void()> beforeRequest;
};

#endif
