// vlxflash: lists the connected command stations and updates their firmware from a script.
#include <windows.h>

#include <memory>
#include <vector>

#include "ConsoleText.h"
#include "Exception.h"
#include "FirmwareLayout.h"
#include "FlashOptions.h"
#include "IntelHexData.h"
#include "JsonLine.h"
#include "StationFlasher.h"
#include "VlxUsbDriver.h"
#include "resource.h"

namespace
{
char const USAGE[] =
    "Aufruf:\n"
    "  vlxflash list [--json]\n"
    "      Eine Zeile je gefundener Zentrale: Nummer, Treibertext, Firmwareversion, Betriebsart,\n"
    "      Seriennummer. --json: ein JSON-Objekt je Zeile.\n"
    "  vlxflash update N|all [--file PFAD] [--test] [--force] [--json]\n"
    "      Installiert die eingebaute Firmware (oder die Intel-HEX-Datei PFAD) auf Zentrale N\n"
    "      (1 bis 255) oder nacheinander auf allen gefundenen. Eine neuere Version wird immer\n"
    "      installiert, dieselbe oder eine ältere nur mit --force, eine Zentrale im Notbetrieb\n"
    "      immer. --test: nur den Notbetrieb schreiben und danach abbrechen. --json: die Schritte\n"
    "      als JSON-Ereignisse, eines je Zeile.\n"
    "  vlxflash --help\n"
    "Rückgabewerte:\n"
    "  0  erledigt\n"
    "  1  falsche Befehlszeile\n"
    "  2  keine solche Zentrale\n"
    "  3  Firmwarequelle nicht lesbar oder fehlerhaft\n"
    "  4  Fehler der Zentrale (mit dem Text des Treibers und der Nummer der Anfrage)\n"
    "  5  von der Versionsregel abgelehnt (dieselbe oder eine ältere Version, ohne --force)\n"
    "  Bei \"all\" der erste Wert ungleich 0 einer Zentrale.";

std::vector<unsigned char> stations()
{
    std::vector<unsigned char> found;
    for (unsigned int n = 1; n <= 255; ++n)
        if (VlxUsbDriver::isPresent(static_cast<unsigned char>(n)))
            found.push_back(static_cast<unsigned char>(n));
    return found;
}

int list(bool json)
{
    for (unsigned char n : stations()) {
        try {
            VlxUsbDriver channel(n);
            std::string driver = channel.getDriverInfo();
            char version[FirmwareLayout::VERSION_TEXT_SIZE];
            FirmwareLayout::versionText(channel.getFirmwareVersion(), version);
            bool emergency = channel.isEmergencyMode();
            char const* mode = emergency ? "Notbetrieb" : "Normalbetrieb";
            DWORD serial = channel.getSerialNumber();
            if (json)
                ConsoleText::out(JsonLine()
                                     .number("station", n)
                                     .text("driver", driver)
                                     .text("version", version)
                                     .text("mode", mode)
                                     .flag("emergency", emergency)
                                     .number("serial", serial)
                                     .str());
            else
                ConsoleText::out(std::to_string(n) + "  " + driver + "  Firmware " + version +
                                 "  " + mode + "  Seriennummer " + std::to_string(serial));
        } catch (Exception& e) {
            std::string text = ~e.toString();
            ConsoleText::out(json ? JsonLine().number("station", n).text("error", text).str()
                                  : std::to_string(n) + "  " + text);
        }
    }
    return FLASH_DONE;
}

int update(FlashOptions const& options)
{
    auto sourceFailed = [&](std::string const& text) {
        if (options.json)
            ConsoleText::out(JsonLine()
                                 .text("event", "error")
                                 .number("code", FLASH_BAD_SOURCE)
                                 .text("text", text)
                                 .str());
        else
            ConsoleText::err(text);
        return FLASH_BAD_SOURCE;
    };
    // The source is read and checked once, before any station is touched.
    std::unique_ptr<IntelHexData> source;
    unsigned short available = 0;
    try {
        if (options.file.empty())
            source.reset(new IntelHexData(GetModuleHandleA(NULL), IDR_FIRMWARE));
        else
            source.reset(new IntelHexData(String(options.file.c_str())));
        std::unique_ptr<unsigned short[]> image(source->parse(FirmwareLayout::CELLS));
        available = FirmwareLayout::versionOf(image.get());
    } catch (Exception& e) {
        return sourceFailed(~e.toString());
    }

    StationFlasher flasher(*source, available, options.testMode, options.force, options.json);
    if (options.station != 0)
        return flasher.flash(static_cast<unsigned char>(options.station));

    std::vector<unsigned char> found = stations();
    if (found.empty()) {
        flasher.report("summary", 0, FLASH_NO_STATION, "Keine Zentrale gefunden.");
        return FLASH_NO_STATION;
    }
    int first = FLASH_DONE;
    unsigned int failed = 0;
    for (unsigned char n : found) {
        FlashResult result = flasher.flash(n);
        if (result != FLASH_DONE) {
            ++failed;
            if (first == FLASH_DONE)
                first = result;
        }
    }
    std::string summary = std::to_string(found.size()) + " Zentralen, " +
        std::to_string(found.size() - failed) + " erfolgreich, " + std::to_string(failed) +
        " nicht erfolgreich.";
    if (options.json)
        ConsoleText::out(JsonLine()
                             .text("event", "summary")
                             .number("stations", found.size())
                             .number("failed", failed)
                             .number("code", first)
                             .text("text", summary)
                             .str());
    else
        ConsoleText::out("Zusammenfassung: " + summary);
    return first;
}
}

int main(int argc, char** argv)
{
    FlashOptions options;
    if (!options.parse(argc, argv)) {
        ConsoleText::err("vlxflash: " + options.error);
        ConsoleText::err(USAGE);
        return FLASH_USAGE;
    }
    switch (options.command) {
    case FlashOptions::LIST: return list(options.json);
    case FlashOptions::UPDATE: return update(options);
    default: ConsoleText::out(USAGE); return FLASH_DONE;
    }
}
