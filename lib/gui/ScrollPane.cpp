#include "ScrollPane.h"

#include <algorithm>

#include "Win32Exception.h"

namespace
{
RECT clientRectOf(Window& window)
{
    RECT r;
    if (!window.getClientRect(&r)) {
        DWORD error = GetLastError();
        throw Win32Exception("Fehler beim Abfragen der Fenstergröße.", error);
    }
    return r;
}
} // namespace

ScrollPane::ScrollPane() : client(nullptr), scrollX(0), scrollY(0), scrolled(false)
{
}

ScrollPane::~ScrollPane()
{
}

void ScrollPane::setClient(Window* newClient)
{
    client = newClient;
    calculateScrollBars();
}

void ScrollPane::calculateScrollBars()
{
    if (client == nullptr) {
        showScrollBar(SB_BOTH, FALSE);
        return;
    }
    POINT size = client->getWindowSize();
    int clientX = size.x, clientY = size.y;
    POINT paneSize = getWindowSize();
    bool horizontal = clientX > paneSize.x;
    bool vertical = clientY > paneSize.y;
    showScrollBar(SB_HORZ, horizontal);
    showScrollBar(SB_VERT, vertical);

    // The shown bars have taken their room from the client rectangle by now.
    RECT visible = clientRectOf(*this);
    int visibleX = visible.right - visible.left;
    int visibleY = visible.bottom - visible.top;
    int redraw = isVisible() ? TRUE : FALSE;
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (horizontal) {
        info.nMax = clientX - 1;
        info.nPage = visibleX;
        info.nPos = scrollX;
        setScrollInfo(SB_HORZ, &info, redraw);
    }
    if (vertical) {
        info.nMax = clientY - 1;
        info.nPage = visibleY;
        info.nPos = scrollY;
        setScrollInfo(SB_VERT, &info, redraw);
    }

    // A pane that grew shows no empty strip beyond the client's edge.
    int x = std::min(scrollX, std::max(0, clientX - visibleX));
    int y = std::min(scrollY, std::max(0, clientY - visibleY));
    if (x != scrollX || y != scrollY) {
        scrollX = x;
        scrollY = y;
        moveClient(TRUE);
    }
}

POINT ScrollPane::getClientPos()
{
    POINT offset = {scrollX, scrollY};
    return offset;
}

void ScrollPane::setClientPos(int x, int y)
{
    scrollX = x;
    scrollY = y;
    moveClient(isVisible() ? TRUE : FALSE);
    calculateScrollBars();
}

bool ScrollPane::isScrolled()
{
    bool result = scrolled;
    scrolled = false;
    return result;
}

LRESULT ScrollPane::notifySize(WPARAM, LPARAM)
{
    calculateScrollBars();
    return 0;
}

LRESULT ScrollPane::notifyVScroll(WPARAM wParam, LPARAM)
{
    scroll(SB_VERT, wParam);
    return 0;
}

LRESULT ScrollPane::notifyHScroll(WPARAM wParam, LPARAM)
{
    scroll(SB_HORZ, wParam);
    return 0;
}

int ScrollPane::scrolledOffset(int request, int thumb, int offset, int clientSize, int visible)
{
    int last = clientSize - visible;
    switch (request) {
    case SB_LINEUP: return offset > 0 ? offset - 1 : offset;
    case SB_LINEDOWN: return offset < last ? offset + 1 : offset;
    case SB_PAGEUP: return offset > 0 ? std::max(0, offset - visible) : offset;
    case SB_PAGEDOWN: return offset < last ? std::min(last, offset + visible) : offset;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: return thumb;
    default: return offset;
    }
}

void ScrollPane::scroll(int bar, WPARAM wParam)
{
    if (client == nullptr)
        return;
    POINT clientSize = client->getWindowSize();
    RECT visible = clientRectOf(*this);
    int& offset = bar == SB_VERT ? scrollY : scrollX;
    int next = bar == SB_VERT ? scrolledOffset(LOWORD(wParam), HIWORD(wParam), offset, clientSize.y,
                                               visible.bottom - visible.top)
                              : scrolledOffset(LOWORD(wParam), HIWORD(wParam), offset, clientSize.x,
                                               visible.right - visible.left);
    if (next == offset)
        return;
    offset = next;
    moveClient(TRUE);
    setScrollPos(bar, offset, TRUE);
    scrolled = true;
}

void ScrollPane::moveClient(BOOL repaint)
{
    if (client != nullptr)
        client->moveWindow(-scrollX, -scrollY, repaint);
}
