#include "PropertySheetPage.h"

#include "PropertySheetA.h"

PropertySheetPage::PropertySheetPage() : record(), psp(nullptr), changedFlag(false), block()
{
}

PropertySheetPage::~PropertySheetPage()
{
}

void PropertySheetPage::create(void* instance, unsigned short templateId, char const* title)
{
    this->title = title;
    block.dialog = this;
    block.instance = instance;
    record = PROPSHEETPAGEA();
    record.dwSize = PROPSHEETPAGEA_V2_SIZE;
    record.dwFlags = PSP_USETITLE;
    record.hInstance = static_cast<HINSTANCE>(instance);
    record.pszTemplate = MAKEINTRESOURCEA(templateId);
    record.pszTitle = this->title.getChars();
    record.pfnDlgProc = PspProcCallBack;
    record.lParam = reinterpret_cast<LPARAM>(&block);
    psp = CreatePropertySheetPageA(&record);
}

HPROPSHEETPAGE PropertySheetPage::getPsp()
{
    return psp;
}

INT_PTR CALLBACK PropertySheetPage::PspProcCallBack(HWND hwnd, UINT msg, WPARAM wParam,
                                                    LPARAM lParam)
{
    // A page's WM_INITDIALOG carries the page record, not the creation block itself.
    if (msg == WM_INITDIALOG)
        lParam = reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam;
    return dlgProcCallBack(hwnd, msg, wParam, lParam);
}

INT_PTR PropertySheetPage::notifyDlgNotify(WPARAM, LPARAM lParam)
{
    switch (reinterpret_cast<NMHDR*>(lParam)->code) {
    case PSN_APPLY: notifyPsApply(); break;
    case PSN_RESET: notifyPsReset(); break;
    default: setWindowLong(DWLP_MSGRESULT, 0); break;
    }
    return 1;
}

INT_PTR PropertySheetPage::notifyPsApply()
{
    changedFlag = false;
    return 0;
}

INT_PTR PropertySheetPage::notifyPsReset()
{
    changedFlag = false;
    return 0;
}

void PropertySheetPage::setChanged()
{
    changedFlag = true;
    if (getParent() != nullptr)
        static_cast<class PropertySheetA*>(static_cast<Dialog*>(getParent()))->changed(this);
}

bool PropertySheetPage::isChanged()
{
    return changedFlag;
}
