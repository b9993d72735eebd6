#ifndef DEVICENUMBERPAGE_H
#define DEVICENUMBERPAGE_H

#include <windows.h>

#include "Dialog.h"

class VlxUsbDriver;

// The tab page "Gerätenummer": shows the number the page was opened with and the number stored
// in the command station, and writes a new number (0 to 255) with "Übernehmen". The channel
// stays open for the page's whole life.
class DeviceNumberPage : public Dialog
{
public:
    DeviceNumberPage(Window* parent, unsigned char deviceNumber);
    virtual ~DeviceNumberPage();

protected:
    virtual INT_PTR notifyDlgInit(WPARAM wParam, LPARAM lParam) override;
    virtual INT_PTR notifyDlgCommand(WPARAM wParam, LPARAM lParam) override;
    virtual INT_PTR notifyDlgNotify(WPARAM wParam, LPARAM lParam) override;

private:
    void takeEditValue();
    void step(int delta);
    void apply();

    unsigned char currentNumber;
    unsigned char newNumber;
    VlxUsbDriver* channel;
};

#endif
