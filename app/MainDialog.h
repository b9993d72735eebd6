#ifndef MAINDIALOG_H
#define MAINDIALOG_H

#include "Dialog.h"

// Template 104: the device list, "Aktualisieren", the tab control and the page of the selected
// tab. There is at most one page; it is destroyed whenever the tab or the device changes and
// created anew for the selected device number.
class MainDialog : public Dialog
{
public:
    explicit MainDialog(Window* parent);
    virtual ~MainDialog();

protected:
    INT_PTR notifyDlgInit(WPARAM wParam, LPARAM lParam) override;
    INT_PTR notifyDlgCommand(WPARAM wParam, LPARAM lParam) override;
    INT_PTR notifyDlgNotify(WPARAM wParam, LPARAM lParam) override;

private:
    void searchDevices();
    void buildTabs();
    void appendTab(char const* text, int kind);
    unsigned char getSelectedDeviceNumber();
    void chooseDevice();
    void chooseTab();
    void showPage(int kind);
    void deleteCurrentPage();

    bool deviceNumberTab;
    Window* tabControl;
    Dialog* currentPage;
};

#endif
