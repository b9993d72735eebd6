#include "UpdatePage.h"

#include <stdio.h>

#include <memory>

#include "Exception.h"
#include "FirmwareLayout.h"
#include "IntelHexData.h"
#include "LoadUpdateData.h"
#include "ProgramSettings.h"
#include "UpdateProgressDialog.h"
#include "VlxUsbDriver.h"
#include "Win32Exception.h"
#include "resource.h"

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
        source = loadUpdateData(description, ProgramSettings::firmwareFilePath);
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
    case IDC_FIRMWARE_UPDATE: startUpdate(false); break;
    case IDC_TEST_EMERGENCY: startUpdate(true); break;
    }
    return 1;
}

void UpdatePage::showVersion(int controlId, unsigned short version)
{
    char text[FirmwareLayout::VERSION_TEXT_SIZE];
    setDlgItemText(controlId, FirmwareLayout::versionText(version, text));
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
        std::unique_ptr<unsigned short[]> image(source->parse(FirmwareLayout::CELLS));
        availableVersion = FirmwareLayout::versionOf(image.get());
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
        char available[FirmwareLayout::VERSION_TEXT_SIZE],
            installed[FirmwareLayout::VERSION_TEXT_SIZE];
        FirmwareLayout::versionText(availableVersion, available);
        FirmwareLayout::versionText(installedVersion, installed);
        if (installedVersion < availableVersion)
            snprintf(question, sizeof question,
                     "Wollen Sie das Firmwareupdate auf Version %s jetzt starten?", available);
        else if (installedVersion == availableVersion)
            snprintf(question, sizeof question,
                     "Die Version %s ist bereits installiert.\nFirmwareupdate trotzdem starten?",
                     available);
        else
            snprintf(question, sizeof question,
                     "Es ist bereits die neuere Version %s installiert.\nFirmwareupdate trotzdem "
                     "starten?",
                     installed);
        if (messageBox(question, "Firmwareupdate", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
    }
    {
        // Returns when the update is over and the user has pressed OK.
        UpdateProgressDialog progress(this, deviceNumber, source, testMode);
    }
    readInstalledVersion();
}
