#include "MainDialog.h"

#include <commctrl.h>
#include <cstdio>
#include <cstdlib>

#include "PageFactory.h"
#include "ProgramSettings.h"
#include "Version.h"
#include "VlxUsbDriver.h"
#include "resource.h"

MainDialog::MainDialog(Window* parent)
    : deviceNumberTab(ProgramSettings::serviceMode), tabControl(nullptr), currentPage(nullptr)
{
    create(getMainInstance(), parent, IDD_MAIN_DIALOG, false);
}

MainDialog::~MainDialog()
{
    deleteCurrentPage();
    delete tabControl;
    tabControl = nullptr;
}

INT_PTR MainDialog::notifyDlgInit(WPARAM, LPARAM)
{
    tabControl = new Window(getDlgItem(IDC_TABS), this);
    setDlgItemText(IDC_VERSION, "Version: " KRX_VERSION);
    searchDevices();
    buildTabs();
    chooseDevice();
    return 1;
}

INT_PTR MainDialog::notifyDlgCommand(WPARAM wParam, LPARAM)
{
    int id = LOWORD(wParam);
    if (id == IDC_DEVICE_LIST && HIWORD(wParam) == CBN_SELCHANGE) {
        chooseDevice();
    } else if (id == IDC_REFRESH) {
        searchDevices();
        chooseDevice();
    }
    return 1;
}

INT_PTR MainDialog::notifyDlgNotify(WPARAM, LPARAM lParam)
{
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->idFrom != IDC_TABS)
        return 0;
    if (header->code == TCN_SELCHANGING)
        deleteCurrentPage();
    else if (header->code == TCN_SELCHANGE)
        chooseTab();
    // 0 lets every tab change happen.
    return 0;
}

void MainDialog::searchDevices()
{
    sendDlgItemMessage(IDC_DEVICE_LIST, CB_RESETCONTENT, 0, 0);
    for (int number = 1; number <= 255; ++number) {
        if (!VlxUsbDriver::isPresent(static_cast<unsigned char>(number)))
            continue;
        char text[4];
        std::snprintf(text, sizeof(text), "%d", number);
        sendDlgItemMessage(IDC_DEVICE_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (number > 1)
            deviceNumberTab = true;
    }
    sendDlgItemMessage(IDC_DEVICE_LIST, CB_SETCURSEL, 0, 0);
}

void MainDialog::appendTab(char const* text, int kind)
{
    TCITEMA item = {};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<char*>(text);
    item.lParam = kind;
    sendDlgItemMessage(IDC_TABS, TCM_INSERTITEMA, tabCtrlGetItemCount(IDC_TABS),
                       reinterpret_cast<LPARAM>(&item));
}

void MainDialog::buildTabs()
{
    appendTab("Info", PAGE_INFO);
    if (deviceNumberTab)
        appendTab("Gerätenummer", PAGE_DEVICE_NUMBER);
    appendTab("Update", PAGE_UPDATE);
    appendTab("KRX-40 Terminal", PAGE_TERMINAL);
    if (ProgramSettings::serviceMode)
        appendTab("VLX-Test", PAGE_VLX_TEST);
}

unsigned char MainDialog::getSelectedDeviceNumber()
{
    LRESULT index = sendDlgItemMessage(IDC_DEVICE_LIST, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return 0;
    // The list holds numbers of at most three digits.
    char text[4] = "";
    if (sendDlgItemMessage(IDC_DEVICE_LIST, CB_GETLBTEXTLEN, index, 0) >= LRESULT(sizeof(text)))
        return 0;
    sendDlgItemMessage(IDC_DEVICE_LIST, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return static_cast<unsigned char>(std::atoi(text) & 0xFF);
}

void MainDialog::chooseDevice()
{
    if (sendDlgItemMessage(IDC_DEVICE_LIST, CB_GETCOUNT, 0, 0) <= 0) {
        // The last page stays alive, hidden with the tab control, until a device is chosen.
        tabControl->setVisible(false);
        setDlgItemText(IDC_STATUS, "Kein Gerät angeschlossen.");
        return;
    }
    deleteCurrentPage();
    // TCM_SETCURSEL raises no TCN_SELCHANGING/TCN_SELCHANGE.
    sendDlgItemMessage(IDC_TABS, TCM_SETCURSEL, 0, 0);
    showPage(PAGE_INFO);
    tabControl->setVisible(true);
    setDlgItemText(IDC_STATUS, "");
}

void MainDialog::chooseTab()
{
    LRESULT index = sendDlgItemMessage(IDC_TABS, TCM_GETCURSEL, 0, 0);
    if (index < 0)
        return;
    TCITEMA item = {};
    item.mask = TCIF_PARAM;
    if (!sendDlgItemMessage(IDC_TABS, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item)))
        return;
    showPage(static_cast<int>(item.lParam));
}

void MainDialog::showPage(int kind)
{
    currentPage = createPage(kind, tabControl, getSelectedDeviceNumber());
    if (currentPage == nullptr)
        return;
    // Without the dialog's area the page stays where it was made rather than at a made-up place.
    RECT area;
    if (getClientRect(&area)) {
        tabControl->sendMessage(TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
        currentPage->moveWindow(area.left, area.top, 0);
    }
    currentPage->setVisible(true);
}

void MainDialog::deleteCurrentPage()
{
    delete currentPage;
    currentPage = nullptr;
}
