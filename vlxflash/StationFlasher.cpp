#include "StationFlasher.h"

#include <stdio.h>

#include <memory>

#include "ConsoleText.h"
#include "Exception.h"
#include "FirmwareLayout.h"
#include "FirmwareUpdate.h"
#include "JsonLine.h"
#include "VlxUsbDriver.h"
#include "Win32Exception.h"

namespace
{
std::string version(unsigned short v)
{
    char text[FirmwareLayout::VERSION_TEXT_SIZE];
    return FirmwareLayout::versionText(v, text);
}
}

StationFlasher::StationFlasher(IntelHexData& source, unsigned short availableVersion, bool testMode,
                               bool force, bool json)
    : source(source), availableVersion(availableVersion), testMode(testMode), force(force),
      json(json), station(0), update(nullptr)
{
}

FlashResult StationFlasher::flash(unsigned char number)
{
    station = number;
    // One channel for the questions and the update: under Wine a device closed and opened again
    // at once may still count as open and refuse the new handle.
    std::unique_ptr<VlxUsbDriver> channel;
    unsigned short installed = 0;
    bool emergency = false;
    try {
        channel.reset(new VlxUsbDriver(number));
        installed = channel->getFirmwareVersion();
        emergency = channel->isEmergencyMode();
    } catch (Win32Exception& e) {
        bool missing = channel == nullptr && e.getCode() == ERROR_FILE_NOT_FOUND;
        FlashResult code = missing ? FLASH_NO_STATION : FLASH_STATION_FAILED;
        report("result", number, code,
               missing ? "Keine Zentrale mit dieser Nummer gefunden." : ~e.toString());
        return code;
    }
    if (!emergency && installed >= availableVersion && !force) {
        std::string why = installed == availableVersion
            ? "Die Version " + version(installed) + " ist bereits installiert."
            : "Es ist bereits die neuere Version " + version(installed) + " installiert.";
        report("result", number, FLASH_REFUSED, why + " Update nur mit --force.");
        return FLASH_REFUSED;
    }
    FirmwareUpdate run(number, source, testMode, *this);
    update = &run;
    FlashResult result = FLASH_DONE;
    std::string text = "Fertig.";
    try {
        run.run(*channel);
    } catch (Exception& e) {
        // In test mode the stop after the emergency-operation part is the expected end.
        result = run.stoppedForTest() ? FLASH_DONE : FLASH_STATION_FAILED;
        text = ~e.toString();
    }
    channel.reset();
    report("result", number, result, text, run.failedRequest());
    update = nullptr;
    return result;
}

void StationFlasher::notifyUpdateStatus(char const* text)
{
    unsigned int done = update ? update->requestsSent() : 0,
                 total = update ? update->requestsPlanned() : 0;
    if (json) {
        ConsoleText::out(JsonLine()
                             .text("event", "status")
                             .number("station", station)
                             .text("text", text)
                             .number("done", done)
                             .number("total", total)
                             .str());
        return;
    }
    char share[16] = "  - %";
    if (total != 0)
        snprintf(share, sizeof share, "%3u %%", done * 100 / total);
    char line[160];
    snprintf(line, sizeof line, "Zentrale %u: [%s] %s", station, share, text);
    ConsoleText::out(line);
}

void StationFlasher::notifyUpdateProgress(unsigned int position)
{
    if (json)
        ConsoleText::out(JsonLine()
                             .text("event", "step")
                             .number("station", station)
                             .number("step", position)
                             .number("done", update ? update->requestsSent() : 0)
                             .number("total", update ? update->requestsPlanned() : 0)
                             .str());
}

void StationFlasher::report(char const* event, unsigned char number, FlashResult code,
                            std::string const& text, unsigned int request)
{
    if (json) {
        JsonLine line;
        line.text("event", event).number("station", number).number("code", code).text("text", text);
        if (request != 0)
            line.number("request", request);
        ConsoleText::out(line.str());
        return;
    }
    std::string line = "Zentrale " + std::to_string(number) + ": ";
    if (request != 0)
        line += "Fehler bei Anfrage " + std::to_string(request) + ": ";
    ConsoleText::out(line + text);
}
