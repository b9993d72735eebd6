#ifndef UPDATEPAGE_H
#define UPDATEPAGE_H

#include <windows.h>

#include "Dialog.h"

class IntelHexData;

// The tab page "Update": installed and available firmware version, the firmware source, and
// the buttons that start an update ("Notbetrieb testen" in test mode, service mode only).
class UpdatePage : public Dialog
{
public:
    UpdatePage(Window* parent, unsigned char deviceNumber);
    virtual ~UpdatePage();

    void readInstalledVersion();
    void readAvailableVersion();
    void startUpdate(bool testMode);

protected:
    virtual INT_PTR notifyDlgInit(WPARAM wParam, LPARAM lParam) override;
    virtual INT_PTR notifyDlgCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void showVersion(int controlId, unsigned short version);

    IntelHexData* source;
    unsigned char deviceNumber;
    unsigned short installedVersion;
    unsigned short availableVersion;
    bool emergencyMode;
};

#endif
