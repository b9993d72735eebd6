#ifndef PROPERTYSHEETPAGE_H
#define PROPERTYSHEETPAGE_H

#include <windows.h>
#include <commctrl.h>

#include "Dialog.h"
#include "LibApi.h"
#include "String.h"

// One page of a PropertySheetA: a library dialog made from a template by the sheet. Its
// parent object is the sheet that holds it. setChanged() marks the page changed and enables
// the sheet's Apply button; Apply and Reset clear the mark.
class LIBAPI PropertySheetPage : public Dialog
{
    friend class PropertySheetA;

public:
    PropertySheetPage();
    virtual ~PropertySheetPage();

    HPROPSHEETPAGE getPsp();
    static INT_PTR CALLBACK PspProcCallBack(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void setChanged();
    bool isChanged();

protected:
    // Makes the page handle; getPsp() is null when that failed.
    virtual void create(void* instance, unsigned short templateId, char const* title);
    virtual INT_PTR notifyDlgNotify(WPARAM wParam, LPARAM lParam) override;
    virtual INT_PTR notifyPsApply();
    virtual INT_PTR notifyPsReset();

private:
    PROPSHEETPAGEA record;
    HPROPSHEETPAGE psp;
    bool changedFlag;
    // Read at WM_INITDIALOG; kept with the page, so a page never shown leaves nothing behind.
    CreationBlock block;
    String title;
};

#endif
