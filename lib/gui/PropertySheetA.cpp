#include "PropertySheetA.h"

#include <commctrl.h>

#include <vector>

#include "Boundary.h"
#include "PropertySheetPage.h"

// The system's function of the same name hides the class outside its own scope.
class PropertySheetA* PropertySheetA::pPs = nullptr;

PropertySheetA::PropertySheetA(Window* parent)
{
    InitCommonControls();
    storeParent(parent);
    setInstanz(getMainInstance());
}

PropertySheetA::~PropertySheetA()
{
    unregisterDialog();
    while (size() > 0)
        delete static_cast<PropertySheetPage*>(removeFirst());
}

void PropertySheetA::addPage(PropertySheetPage* page)
{
    page->storeParent(this);
    insertAfterLast(page);
}

INT_PTR PropertySheetA::create(char const* caption)
{
    std::vector<HPROPSHEETPAGE> pages;
    startEnumeration();
    while (hasMoreAfter())
        pages.push_back(static_cast<PropertySheetPage*>(next())->getPsp());

    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_USECALLBACK;
    header.hwndParent = getParent() != nullptr ? getParent()->getHwnd() : nullptr;
    header.hInstance = static_cast<HINSTANCE>(getInstanz());
    header.pszCaption = caption;
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    header.pfnCallback = PropSheetProc;
    pPs = this;
    return ::PropertySheetA(&header);
}

int CALLBACK PropertySheetA::PropSheetProc(HWND hwnd, UINT msg, LPARAM lParam)
{
    PropertySheetA* sheet = pPs;
    if (sheet == nullptr)
        return 0;
    Boundary::guard<int>(0, [&] {
        if (msg == PSCB_INITIALIZED)
            sheet->attach(hwnd);
        sheet->notifyPsCreate(msg, lParam);
        return 0;
    });
    return 0;
}

void PropertySheetA::attach(HWND hwnd)
{
    registerDialog();
    setHwnd(hwnd);
    Window* window = this;
    setWindowLong(GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    LONG_PTR previous = setWindowLong(GWLP_WNDPROC,
                                      reinterpret_cast<LONG_PTR>(&Window::wndProcCallback));
    setDefaultProcedure(reinterpret_cast<WNDPROC>(previous));
    // The sheet's "?" button would send help requests that no page answers.
    setWindowLong(GWL_EXSTYLE,
                  getWindowLong(GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_CONTEXTHELP));
}

void PropertySheetA::notifyPsCreate(UINT, LPARAM)
{
}

void PropertySheetA::changed(PropertySheetPage* page)
{
    sendMessage(PSM_CHANGED, reinterpret_cast<WPARAM>(page->getHwnd()), 0);
}
