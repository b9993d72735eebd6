#include "DeviceNumberPage.h"

#include <commctrl.h>

#include "VlxUsbDriver.h"
#include "Win32Exception.h"
#include "resource.h"

namespace
{
const unsigned int HIGHEST_NUMBER = 255;
}

DeviceNumberPage::DeviceNumberPage(Window* parent, unsigned char deviceNumber)
    : currentNumber(deviceNumber), newNumber(deviceNumber), channel(nullptr)
{
    create(getMainInstance(), parent, IDD_DEVICE_NUMBER_PAGE, false);
}

DeviceNumberPage::~DeviceNumberPage()
{
    delete channel;
    channel = nullptr;
}

INT_PTR DeviceNumberPage::notifyDlgInit(WPARAM, LPARAM)
{
    setDlgItemInt(IDC_CURRENT_NUMBER, currentNumber, FALSE);
    try {
        channel = new VlxUsbDriver(currentNumber);
        setDlgItemInt(IDC_NEW_NUMBER, channel->getDeviceNumber(), FALSE);
    } catch (Win32Exception& e) {
        // The edit's notification takes the number over as the new number.
        setDlgItemInt(IDC_NEW_NUMBER, currentNumber, FALSE);
        String text = e.toString();
        messageBox(~text, "Fehler", MB_ICONERROR);
    }
    return 1;
}

INT_PTR DeviceNumberPage::notifyDlgCommand(WPARAM wParam, LPARAM)
{
    if (LOWORD(wParam) == IDC_NEW_NUMBER && HIWORD(wParam) == EN_UPDATE)
        takeEditValue();
    else if (LOWORD(wParam) == IDC_APPLY_NUMBER)
        apply();
    return 1;
}

INT_PTR DeviceNumberPage::notifyDlgNotify(WPARAM wParam, LPARAM lParam)
{
    NMHDR const* header = reinterpret_cast<NMHDR const*>(lParam);
    if (wParam == IDC_NEW_NUMBER_SPIN && header->code == UDN_DELTAPOS)
        step(reinterpret_cast<NMUPDOWN const*>(lParam)->iDelta);
    return 0;
}

void DeviceNumberPage::takeEditValue()
{
    int ok = FALSE;
    unsigned int value = getDlgItemInt(IDC_NEW_NUMBER, &ok, FALSE);
    if (!ok)
        return;
    if (value > HIGHEST_NUMBER) {
        newNumber = HIGHEST_NUMBER;
        // Comes back here through EN_UPDATE, then within the range.
        setDlgItemInt(IDC_NEW_NUMBER, HIGHEST_NUMBER, FALSE);
    } else {
        newNumber = static_cast<unsigned char>(value);
    }
}

// The control keeps its default range (100 down to 0), in which up proposes -1.
void DeviceNumberPage::step(int delta)
{
    int candidate = static_cast<int>(newNumber) - delta;
    if (candidate < 0)
        candidate = 0;
    if (candidate > static_cast<int>(HIGHEST_NUMBER))
        candidate = HIGHEST_NUMBER;
    if (candidate != newNumber) {
        newNumber = static_cast<unsigned char>(candidate);
        setDlgItemInt(IDC_NEW_NUMBER, newNumber, FALSE);
    }
}

void DeviceNumberPage::apply()
{
    if (channel == nullptr)
        return;
    try {
        channel->setDeviceNumber(newNumber);
    } catch (Win32Exception& e) {
        String text = e.toString();
        messageBox(~text, "Fehler", MB_ICONERROR);
    }
}
