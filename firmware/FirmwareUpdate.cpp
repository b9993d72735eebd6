#include "FirmwareUpdate.h"

#include <memory>

#include "Exception.h"
#include "FirmwareLayout.h"
#include "FirmwareWriter.h"
#include "IntelHexData.h"
#include "UpdateListener.h"
#include "VlxUsbDriver.h"

FirmwareUpdate::FirmwareUpdate(unsigned char deviceNumber, IntelHexData& source, bool testMode,
                               UpdateListener& listener, DWORD resetWaitMs)
    : deviceNumber(deviceNumber), source(source), testMode(testMode), listener(listener),
      resetWaitMs(resetWaitMs), sent(0), planned(0), failed(0), testStop(false)
{
}

void FirmwareUpdate::run()
{
    begin();
    VlxUsbDriver channel(deviceNumber);
    write(channel);
}

void FirmwareUpdate::run(VlxUsbDriver& channel)
{
    begin();
    write(channel);
}

void FirmwareUpdate::begin()
{
    sent = planned = failed = 0;
    testStop = false;
    listener.notifyUpdateStatus("Initialisiere das Update.");
}

void FirmwareUpdate::write(VlxUsbDriver& channel)
{
    using namespace FirmwareLayout;
    std::unique_ptr<unsigned short[]> image;
    FirmwareWriter writer(&channel, [this] { ++sent; });
    // Only requests whose failures the writer passes on can end the run at a position.
    auto passOn = [this](auto send) {
        try {
            send();
        } catch (Exception&) {
            failed = sent;
            throw;
        }
    };

    writer.setWriteMode(false, false);
    image.reset(source.parse(CELLS));
    listener.notifyUpdateProgress(1);
    bool emergencyPart = !channel.isEmergencyMode();
    planned = 1;
    if (emergencyPart)
        planned += 2 + FirmwareWriter::countRange(image.get(), EMERGENCY_TOP, EMERGENCY_BOTTOM);
    if (!testMode)
        planned += 2 + FirmwareWriter::countRange(image.get(), NORMAL_TOP, NORMAL_BOTTOM);

    if (emergencyPart) {
        listener.notifyUpdateStatus("Schreibe neue Firmware für den Notbetrieb.");
        writer.setWriteMode(true, false);
        passOn([&] { writer.writeRange(image.get(), EMERGENCY_TOP, EMERGENCY_BOTTOM); });
        passOn([&] { writer.finishEmergencyPart(); });
        listener.notifyUpdateProgress(2);
    }
    if (testMode) {
        testStop = true;
        throw Exception("Testabbruch!");
    }
    listener.notifyUpdateStatus("Schreibe neue Firmware für den Normalbetrieb.");
    writer.setWriteMode(true, true);
    passOn([&] { writer.writeRange(image.get(), NORMAL_TOP, NORMAL_BOTTOM); });
    listener.notifyUpdateProgress(3);
    listener.notifyUpdateStatus("Reset der Firmware.");
    writer.resetFirmware();
    Sleep(resetWaitMs);
    listener.notifyUpdateProgress(4);
    listener.notifyUpdateStatus("Firmwareupdate erfolgreich abgeschlossen.");
}
