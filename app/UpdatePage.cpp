#include "UpdatePage.h"

#include <stdio.h>

#include <memory>

#include "Exception.h"
#include "IntelHexData.h"
#include "LoadUpdateData.h"
#include "ProgramSettings.h"
#include "UpdateProgressDialog.h"
#include "VlxUsbDriver.h"
#include "Win32Exception.h"
#include "resource.h"

namespace
{
const unsigned short FIRMWARE_CELLS = 0x8000;
const unsigned short VERSION_MAJOR_CELL = 0x7000;
const unsigned short VERSION_MINOR_CELL = 0x7001;
const char VERSION_FORMAT[] = "%u.%02u";
}

UpdatePage::UpdatePage(Window* parent, unsigned char deviceNumber)
    : source(nullptr), deviceNumber(deviceNumber), installedVersion(0), availableVersion(0),
      emergencyMode(false)
{
    create(getMainInstance(), parent, IDD_UPDATE_PAGE, false);
}

UpdatePage::~UpdatePage()
{
    delete source;
}

INT_PTR UpdatePage::notifyDlgInit(WPARAM, LPARAM)
{
    if (ProgramSettings::serviceMode)
        ShowWindow(getDlgItem(IDC_TEST_EMERGENCY), SW_SHOWNORMAL);
    try {
        char description[UPDATE_DESCRIPTION_SIZE];
        source = loadUpdateData(description);
        setDlgItemText(IDC_SOURCE, description);
    } catch (Win32Exception& e) {
        String text = e.toString();
        messageBox(~text, "Fehler beim Laden der Updatedaten", MB_ICONERROR);
    }
    readInstalledVersion();
    readAvailableVersion();
    return 1;
}

INT_PTR UpdatePage::notifyDlgCommand(WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam)) {
    case IDC_FIRMWARE_UPDATE:
        startUpdate(false);
        break;
    case IDC_TEST_EMERGENCY:
        startUpdate(true);
        break;
    }
    return 1;
}

void UpdatePage::showVersion(int controlId, unsigned short version)
{
    char text[16];
    snprintf(text, sizeof text, VERSION_FORMAT, version / 100u, version % 100u);
    setDlgItemText(controlId, text);
}

void UpdatePage::readInstalledVersion()
{
    try {
        VlxUsbDriver channel(deviceNumber);
        installedVersion = channel.getFirmwareVersion();
        emergencyMode = channel.isEmergencyMode();
        showVersion(IDC_INSTALLED_VERSION, installedVersion);
    } catch (Win32Exception& e) {
        String text = e.toString();
        messageBox(~text, "Fehler beim Erkennen der Firmwareversion", MB_ICONERROR);
    }
}

void UpdatePage::readAvailableVersion()
{
    try {
        // Opened only so that the version is shown just while the device can be reached.
        VlxUsbDriver channel(deviceNumber);
        if (source == nullptr)
            throw Exception("Keine Updatedaten geladen.");
        std::unique_ptr<unsigned short[]> image(source->parse(FIRMWARE_CELLS));
        // Empty cells hold 0xFFFF: an image without version bytes reads 654.35.
        availableVersion = (unsigned short)(image[VERSION_MAJOR_CELL] * 100u + image[VERSION_MINOR_CELL]);
        image.reset();
        showVersion(IDC_AVAILABLE_VERSION, availableVersion);
    } catch (Exception& e) {
        String text = e.toString();
        messageBox(~text, "Fehler beim Erkennen der Firmwareversion", MB_ICONERROR);
    }
}

void UpdatePage::startUpdate(bool testMode)
{
    if (source == nullptr) {
        messageBox("Keine Updatedaten geladen.", "Fehler beim Firmwareupdate", MB_ICONERROR);
        return;
    }
    if (!emergencyMode) {
        char question[128];
        if (installedVersion < availableVersion)
            snprintf(question, sizeof question,
                     "Wollen Sie das Firmwareupdate auf Version %u.%02u jetzt starten?",
                     availableVersion / 100u, availableVersion % 100u);
        else if (installedVersion == availableVersion)
            snprintf(question, sizeof question,
                     "Die Version %u.%02u ist bereits installiert.\nFirmwareupdate trotzdem starten?",
                     availableVersion / 100u, availableVersion % 100u);
        else
            snprintf(question, sizeof question,
                     "Es ist bereits die neuere Version %u.%02u installiert.\nFirmwareupdate trotzdem starten?",
                     installedVersion / 100u, installedVersion % 100u);
        if (messageBox(question, "Firmwareupdate", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
    }
    {
        // Returns when the update is over and the user has pressed OK.
        UpdateProgressDialog progress(this, deviceNumber, source, testMode);
    }
    readInstalledVersion();
}
