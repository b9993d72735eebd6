#ifndef FIRMWAREUPDATE_H
#define FIRMWAREUPDATE_H

#include <windows.h>

class IntelHexData;
class UpdateListener;
class VlxUsbDriver;

// One firmware update of one command station: open the channel, parse the source, write the
// emergency-operation part (unless the device already runs it), then the normal-operation
// part, reset and wait. Reports its steps to a listener; every failure leaves `run` as the
// Exception to show, with the channel already closed. Used by the progress dialog and vlxflash.
class FirmwareUpdate
{
public:
    static unsigned int const LAST_STEP = 4;
    static DWORD const RESET_WAIT_MS = 2000;

    // The source is not owned and must outlive `run`. In test mode the update stops with
    // "Testabbruch!" after the emergency-operation part.
    FirmwareUpdate(unsigned char deviceNumber, IntelHexData& source, bool testMode,
                   UpdateListener& listener, DWORD resetWaitMs = RESET_WAIT_MS);

    // Opens the channel for the device number and runs the update on it.
    void run();
    // The same on a channel the caller has opened (and closes after the run), so that a caller
    // who has just asked the device something need not close and open it again.
    void run(VlxUsbDriver& channel);

    // Firmware requests issued so far, a failed one included.
    unsigned int requestsSent() const { return sent; }
    // All firmware requests of this run; 0 until the image is parsed and the mode known.
    unsigned int requestsPlanned() const { return planned; }
    // The position (1-based) of the firmware request whose failure ended the run; 0 when the
    // run ended otherwise (opening, parsing, the mode query, the test stop) or succeeded.
    unsigned int failedRequest() const { return failed; }
    bool stoppedForTest() const { return testStop; }

private:
    FirmwareUpdate(FirmwareUpdate const&) = delete;
    FirmwareUpdate& operator=(FirmwareUpdate const&) = delete;
    void begin();
    void write(VlxUsbDriver& channel);

    unsigned char deviceNumber;
    IntelHexData& source;
    bool testMode;
    UpdateListener& listener;
    DWORD resetWaitMs;
    unsigned int sent;
    unsigned int planned;
    unsigned int failed;
    bool testStop;
};

#endif
