#ifndef INFOPAGE_H
#define INFOPAGE_H

#include <windows.h>

#include "Dialog.h"

class Win32Exception;

// The tab page "Info": the command station's driver text and serial number and the feedback
// interface's reply. A command station found in emergency mode is offered a new firmware
// at once, before the page is shown.
class InfoPage : public Dialog
{
public:
    InfoPage(Window* parent, unsigned char deviceNumber);
    virtual ~InfoPage();

protected:
    virtual INT_PTR notifyDlgInit(WPARAM wParam, LPARAM lParam) override;

private:
    void showError(int controlId, Win32Exception& e);

    unsigned char deviceNumber;
};

#endif
