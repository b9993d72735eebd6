#include "Dialog.h"

#include <commctrl.h>

#include <vector>

#include "Boundary.h"

LinkedList Dialog::listDlg;

Dialog::Dialog() : modal(true)
{
}

Dialog::Dialog(void* instance, Window* parent, unsigned short resourceId, bool modal) : modal(modal)
{
    Dialog::create(instance, parent, resourceId, modal);
}

Dialog::~Dialog()
{
    if (!modal)
        destroyWindow();
    unregisterDialog();
}

void Dialog::create(void* instance, Window* parent, unsigned short resourceId, bool modal)
{
    // Only the object is stored: the system parent comes with the dialog window itself.
    storeParent(parent);
    this->modal = modal;
    registerDialog();
    if (parent == nullptr)
        return;

    CreationBlock block = {this, instance};
    HINSTANCE module = static_cast<HINSTANCE>(instance);
    LPARAM param = reinterpret_cast<LPARAM>(&block);
    if (modal) {
        DialogBoxParamA(module, MAKEINTRESOURCEA(resourceId), parent->getHwnd(), dlgProcCallBack,
                        param);
    } else {
        HWND created = CreateDialogParamA(module, MAKEINTRESOURCEA(resourceId), parent->getHwnd(),
                                          dlgProcCallBack, param);
        setHwnd(created);
    }
}

INT_PTR CALLBACK Dialog::dlgProcCallBack(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Dialog* dialog = nullptr;
    if (msg == WM_INITDIALOG) {
        CreationBlock* block = reinterpret_cast<CreationBlock*>(lParam);
        dialog = block->dialog;
        dialog->setInstanz(block->instance);
        dialog->setHwnd(hwnd);
        Window* window = dialog;
        dialog->setWindowLong(GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        LONG_PTR previous = dialog->setWindowLong(
            GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::wndProcCallback));
        dialog->setDefaultProcedure(reinterpret_cast<WNDPROC>(previous));
    } else {
        dialog = static_cast<Dialog*>(getWndFromHwnd(hwnd));
    }
    if (dialog == nullptr)
        return 0;

    return Boundary::guard<INT_PTR>(0, [&] { return dialog->dlgProc(msg, wParam, lParam); });
}

INT_PTR Dialog::dlgProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: return notifyDlgInit(wParam, lParam);
    case WM_COMMAND: return notifyDlgCommand(wParam, lParam);
    case WM_NOTIFY: return notifyDlgNotify(wParam, lParam);
    case WM_DESTROY: setDestroyed(); return 0;
    default: return 0;
    }
}

INT_PTR Dialog::notifyDlgInit(WPARAM, LPARAM)
{
    return 0;
}

INT_PTR Dialog::notifyDlgCommand(WPARAM, LPARAM)
{
    return 0;
}

INT_PTR Dialog::notifyDlgNotify(WPARAM, LPARAM)
{
    return 0;
}

int Dialog::isDialogMessage(MSG* msg)
{
    if (getHwnd() == nullptr)
        return 0;
    return IsDialogMessageA(getHwnd(), msg);
}

int Dialog::isAnyDialogMessage(MSG* msg)
{
    listDlg.startEnumeration();
    while (listDlg.hasMoreAfter()) {
        Dialog* dialog = static_cast<Dialog*>(listDlg.next());
        if (dialog->isDialogMessage(msg) != 0)
            return 1;
    }
    return 0;
}

void Dialog::registerDialog()
{
    listDlg.insertAfterLast(this);
}

void Dialog::unregisterDialog()
{
    listDlg.remove(this);
}

BOOL Dialog::setDlgItemInt(int id, unsigned int value, int isSigned)
{
    return SetDlgItemInt(getHwnd(), id, value, isSigned);
}

unsigned int Dialog::getDlgItemInt(int id, int* ok, int isSigned)
{
    return GetDlgItemInt(getHwnd(), id, ok, isSigned);
}

BOOL Dialog::setDlgItemText(int id, char const* text)
{
    return SetDlgItemTextA(getHwnd(), id, text);
}

String Dialog::getDlgItemText(int id)
{
    HWND item = GetDlgItem(getHwnd(), id);
    std::vector<char> buffer(GetWindowTextLengthA(item) + 1, '\0');
    GetWindowTextA(item, buffer.data(), static_cast<int>(buffer.size()));
    return String(buffer.data());
}

LRESULT Dialog::sendDlgItemMessage(int id, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return SendDlgItemMessageA(getHwnd(), id, msg, wParam, lParam);
}

unsigned int Dialog::isDlgButtonChecked(int id)
{
    return IsDlgButtonChecked(getHwnd(), id);
}

BOOL Dialog::checkDlgButton(int id, unsigned int state)
{
    return CheckDlgButton(getHwnd(), id, state);
}

BOOL Dialog::checkRadioButton(int first, int last, int check)
{
    return CheckRadioButton(getHwnd(), first, last, check);
}

BOOL Dialog::enableDlgItem(int id, int enable)
{
    HWND item = GetDlgItem(getHwnd(), id);
    if (item == nullptr)
        return 0;
    return EnableWindow(item, enable);
}

HWND Dialog::getDlgItem(int id)
{
    return GetDlgItem(getHwnd(), id);
}

BOOL Dialog::endDialog(int result)
{
    return EndDialog(getHwnd(), result);
}

int Dialog::tabCtrlGetItemCount(int id)
{
    return static_cast<int>(sendDlgItemMessage(id, TCM_GETITEMCOUNT, 0, 0));
}

int Dialog::tabCtrlInsertItem(int id, char* text)
{
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    return static_cast<int>(sendDlgItemMessage(id, TCM_INSERTITEMA, tabCtrlGetItemCount(id),
                                               reinterpret_cast<LPARAM>(&item)));
}

bool Dialog::isModal() const
{
    return modal;
}

int Dialog::mapBaseUnitsX(int x)
{
    int unit = LOWORD(GetDialogBaseUnits());
    return (unit * x) / 4;
}

int Dialog::mapBaseUnitsY(int y)
{
    int unit = HIWORD(GetDialogBaseUnits());
    return (unit * y) / 8;
}
