#include "GalleryDrawing.h"

#include <cstdio>

#include "SettingsSheet.h"
#include "WrapperLayout.h"

using namespace WrapperLayout;

GalleryDrawing::GalleryDrawing(Window* pane)
{
    static ATOM const atom = registerClass(0, getMainInstance(), nullptr,
                                           LoadCursorA(nullptr, IDC_ARROW),
                                           static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                                           nullptr, "ControlGallery DrawingKlasse", nullptr);
    storeParent(pane);
    createWindowEx(0, MAKEINTATOM(atom), "", WS_CHILD | WS_VISIBLE, 0, 0, drawingWidth,
                   drawingHeight, pane->getHwnd(),
                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(drawingId)));
}

LRESULT GalleryDrawing::notifyPaint(WPARAM, LPARAM)
{
    GallerySettings settings = GallerySettings::load();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(getHwnd(), &ps);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    if (settings.grid && settings.gridStep >= 10) {
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 210, 230));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        for (int x = 0; x < drawingWidth; x += settings.gridStep) {
            MoveToEx(dc, x, 0, nullptr);
            LineTo(dc, x, drawingHeight);
        }
        for (int y = 0; y < drawingHeight; y += settings.gridStep) {
            MoveToEx(dc, 0, y, nullptr);
            LineTo(dc, drawingWidth, y);
        }
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
    // Coordinates every 100 pixels, so a scrolled view says where it is.
    char text[32];
    SetTextColor(dc, RGB(90, 90, 90));
    for (int y = 0; y < drawingHeight; y += 100)
        for (int x = 0; x < drawingWidth; x += 100) {
            int n = std::snprintf(text, sizeof text, "%d,%d", x, y);
            TextOutA(dc, x + 3, y + 2, text, n);
        }
    SetTextColor(dc, RGB(0, 60, 140));
    TextOutA(dc, 120, 150, ~settings.label, settings.label.length());
    TextOutA(dc, 6, 20, "oben links", 10);
    TextOutA(dc, drawingWidth - 90, drawingHeight - 20, "unten rechts", 12);
    SelectObject(dc, oldFont);
    EndPaint(getHwnd(), &ps);
    return 0;
}

LRESULT GalleryDrawing::notifyLeftMouseButtonDown(WPARAM, LPARAM)
{
    // The pane takes the keys that scroll it.
    getParent()->setFocus();
    return 0;
}
