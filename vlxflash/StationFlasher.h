#ifndef STATIONFLASHER_H
#define STATIONFLASHER_H

#include <string>

#include "UpdateListener.h"

class IntelHexData;
class FirmwareUpdate;

// vlxflash's exit codes.
enum FlashResult
{
    FLASH_DONE = 0,
    FLASH_USAGE = 1,
    FLASH_NO_STATION = 2,
    FLASH_BAD_SOURCE = 3,
    FLASH_STATION_FAILED = 4,
    FLASH_REFUSED = 5
};

// Updates one command station from a parsed-once source under the version rule (newer only,
// unless forced; a station in emergency mode always) and prints its steps, as text lines or as
// JSON events.
class StationFlasher : private UpdateListener
{
public:
    StationFlasher(IntelHexData& source, unsigned short availableVersion, bool testMode, bool force,
                   bool json);

    FlashResult flash(unsigned char station);
    // Says on one line (or as one event) how a part of the run ended.
    void report(char const* event, unsigned char station, FlashResult code, std::string const& text,
                unsigned int request = 0);

private:
    virtual void notifyUpdateStatus(char const* text) override;
    virtual void notifyUpdateProgress(unsigned int position) override;

    IntelHexData& source;
    unsigned short availableVersion;
    bool testMode;
    bool force;
    bool json;
    unsigned char station;
    FirmwareUpdate* update;
};

#endif
