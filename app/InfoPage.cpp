#include "InfoPage.h"

#include <stdio.h>

#include <memory>

#include "IntelHexData.h"
#include "KrxUsbDriver.h"
#include "LoadUpdateData.h"
#include "ProgramSettings.h"
#include "UpdateProgressDialog.h"
#include "VlxUsbDriver.h"
#include "Win32Exception.h"
#include "resource.h"

InfoPage::InfoPage(Window* parent, unsigned char deviceNumber) : deviceNumber(deviceNumber)
{
    create(getMainInstance(), parent, IDD_INFO_PAGE, false);
}

InfoPage::~InfoPage()
{
}

void InfoPage::showError(int controlId, Win32Exception& e)
{
    String text = e.toString();
    setDlgItemText(controlId, ~text);
    messageBox(~text, "Fehler", MB_ICONHAND);
}

INT_PTR InfoPage::notifyDlgInit(WPARAM, LPARAM)
{
    bool emergencyMode = false;
    std::unique_ptr<VlxUsbDriver> channel;
    try {
        channel.reset(new VlxUsbDriver(deviceNumber));
        emergencyMode = channel->isEmergencyMode();
        if (emergencyMode &&
            messageBox("Die Velmora befindet sich im Notfallbetrieb.\nDie Firmware wird neu "
                       "eingespielt.\n",
                       "Notfallbetrieb", MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK) {
            try {
                // The update opens its own channel, and the device opens only once.
                channel.reset();
                std::unique_ptr<IntelHexData> source(
                    loadUpdateData(nullptr, ProgramSettings::firmwareFilePath));
                {
                    UpdateProgressDialog progress(this, deviceNumber, source.get(), false);
                }
                source.reset();
                channel.reset(new VlxUsbDriver(deviceNumber));
                emergencyMode = channel->isEmergencyMode();
            } catch (Win32Exception& e) {
                String text = e.toString();
                messageBox(~text, "Fehler beim Laden der Updatedaten", MB_ICONHAND);
            }
        }
        // Without a channel the update failed before the device could be opened again: the
        // driver text and serial number keep their template texts.
        if (channel) {
            setDlgItemText(IDC_VLX_DRIVER_TEXT, channel->getDriverInfo());
            char serial[16];
            snprintf(serial, sizeof serial, "%lu", (unsigned long)channel->getSerialNumber());
            setDlgItemText(IDC_SERIAL_NUMBER, serial);
            channel.reset();
        }
    } catch (Win32Exception& e) {
        // The text and the box come first; the channel closes once the user has seen them.
        showError(IDC_VLX_DRIVER_TEXT, e);
        channel.reset();
    }

    if (emergencyMode) {
        setDlgItemText(IDC_KRX_DRIVER_TEXT, "Nicht verfügbar im Notfallbetrieb.");
    } else {
        try {
            KrxUsbDriver feedback(deviceNumber, false);
            setDlgItemText(IDC_KRX_DRIVER_TEXT, feedback.queryVersion());
        } catch (Win32Exception& e) {
            showError(IDC_KRX_DRIVER_TEXT, e);
        }
    }
    return 1;
}
