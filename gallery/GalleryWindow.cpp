#include "GalleryWindow.h"

#include <cstdio>

#include "WrapperSection.h"

using namespace GalleryLayout;

namespace
{
char const className[] = "ControlGallery MainKlasse";
ATOM classAtom = 0;
}

GalleryWindow::GalleryWindow() : lastCommand(nullptr)
{
    if (classAtom == 0) {
        classAtom = registerClass(0, getMainInstance(), LoadIconA(nullptr, IDI_APPLICATION),
                                  LoadCursorA(nullptr, IDC_ARROW),
                                  reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr, className,
                                  nullptr);
    }
    // The frame around a client of the fixed gallery size.
    DWORD const style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame = {0, 0, clientWidth, clientHeight};
    if (!AdjustWindowRectEx(&frame, style, FALSE, 0))
        frame = RECT{0, 0, clientWidth + 16, clientHeight + 40};
    createWindowEx(0, className, "ControlGallery", style, CW_USEDEFAULT, CW_USEDEFAULT,
                   frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr);
}

GalleryWindow::~GalleryWindow()
{
}

LRESULT GalleryWindow::notifyCreate(WPARAM, LPARAM)
{
    lastCommand = CreateWindowExA(WS_EX_STATICEDGE, "STATIC", "Letzte Meldung: keine",
                                  WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 0,
                                  clientHeight - statusHeight, clientWidth, statusHeight, getHwnd(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(lastCommandId)),
                                  getMainInstance(), nullptr);
    SendMessageA(lastCommand, WM_SETFONT,
                 reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    bitmapSection.reset(new BitmapSection(this));
    wrappers.reset(new WrapperSection(this));
    return 0;
}

LRESULT GalleryWindow::notifyCommand(WPARAM wParam, LPARAM lParam)
{
    // Only what a control sent: menu items and accelerators come without a control window.
    if (lParam == 0 && wrappers && wrappers->command(LOWORD(wParam)))
        return 0;
    if (lParam != 0)
        showLastCommand(LOWORD(wParam), HIWORD(wParam));
    return 0;
}

void GalleryWindow::showLastCommand(int controlId, int code)
{
    char text[80];
    std::snprintf(text, sizeof text, "Letzte Meldung: Steuerelement %d, Code %d", controlId, code);
    SetWindowTextA(lastCommand, text);
}

LRESULT GalleryWindow::notifyClose(WPARAM, LPARAM)
{
    destroyWindow();
    return 0;
}

LRESULT GalleryWindow::notifySysCommand(WPARAM wParam, LPARAM lParam)
{
    if (wrappers && wrappers->sysCommand(wParam))
        return 0;
    return Window::notifySysCommand(wParam, lParam);
}

LRESULT GalleryWindow::notifyDestroy(WPARAM, LPARAM)
{
    // While the window and its controls still exist: the section gives back the system menu.
    wrappers.reset();
    PostQuitMessage(0);
    return 0;
}
