#include "GalleryPane.h"

#include "WrapperLayout.h"
#include "gui/Menue.h"

using namespace WrapperLayout;

GalleryPane::GalleryPane(Window* parent)
{
    static ATOM const atom = registerClass(0, getMainInstance(), nullptr,
                                           LoadCursorA(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1),
                                           nullptr, "ControlGallery PaneKlasse", nullptr);
    storeParent(parent);
    createWindowEx(WS_EX_CLIENTEDGE, MAKEINTATOM(atom), "",
                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, paneX, paneY, paneWidth,
                   paneHeight, parent->getHwnd(),
                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(paneId)));
}

LRESULT GalleryPane::notifyKeyDown(WPARAM wParam, LPARAM lParam)
{
    struct Key
    {
        WPARAM key;
        UINT message;
        int request;
    };
    static Key const keys[] = {
        {VK_UP, WM_VSCROLL, SB_LINEUP},     {VK_DOWN, WM_VSCROLL, SB_LINEDOWN},
        {VK_PRIOR, WM_VSCROLL, SB_PAGEUP},  {VK_NEXT, WM_VSCROLL, SB_PAGEDOWN},
        {VK_LEFT, WM_HSCROLL, SB_LINELEFT}, {VK_RIGHT, WM_HSCROLL, SB_LINERIGHT},
    };
    for (Key const& k : keys)
        if (k.key == wParam)
            return sendMessage(k.message, k.request, 0);
    return ScrollPane::notifyKeyDown(wParam, lParam);
}

LRESULT GalleryPane::notifyContextmenu(WPARAM, LPARAM lParam)
{
    Menue popup(true);
    popup.appendMenu(MF_STRING, cmdToStart, "Zum Anfang");
    popup.appendMenu(MF_STRING, cmdToEnd, "Zum Ende");
    popup.appendMenu(MF_STRING, cmdSettings, "Einstellungen...");
    // Screen coordinates, signed on a second monitor to the left.
    popup.trackPopupMenu(TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                         static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                         this, nullptr);
    return 0;
}

LRESULT GalleryPane::notifyCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case cmdToStart: setClientPos(0, 0); return 0;
    case cmdToEnd:
        setClientPos(drawingWidth, drawingHeight); // calculateScrollBars pulls it back to the end
        return 0;
    case cmdSettings:
        // The main window opens the sheet, as from its menu bar.
        return getParent()->sendMessage(WM_COMMAND, cmdSettings, 0);
    default: return ScrollPane::notifyCommand(wParam, lParam);
    }
}
