#include "WndSelectList.h"

#include <windowsx.h>

ATOM WndSelectList::atomClass = 0;

namespace
{
char const* const className = "MrtkWndSelectListKlasse";
}

WndSelectList::WndSelectList(void* instance, Window* parent, unsigned short id, int x, int y,
                             int* bitmapIds, int count)
    : id(id), count(count < 0 ? 0 : count), itemWidth(0), itemHeight(0), clapped(0), selected(0),
      hilite(-1), enabled(this->count, true), tracking(false)
{
    storeParent(parent);
    HINSTANCE module = static_cast<HINSTANCE>(instance);
    for (int i = 0; i < 3 * this->count; ++i)
        bitmaps.emplace_back(new Bitmap(module, bitmapIds[i]));
    if (bitmaps.empty() || bitmaps[0]->getSize().x == 0)
        return;
    if (atomClass == 0)
        atomClass = registerClass(0, instance, nullptr, LoadCursorA(nullptr, IDC_ARROW), nullptr,
                                  nullptr, className, nullptr);
    POINT size = bitmaps[0]->getSize();
    itemWidth = size.x;
    itemHeight = size.y;
    createWindowEx(0, className, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, itemWidth,
                   itemHeight, parent != nullptr ? parent->getHwnd() : nullptr, nullptr);
}

WndSelectList::~WndSelectList()
{
    // The window goes first: a message during its destruction must not find the bitmaps gone.
    destroyWindow();
}

int WndSelectList::select(int index)
{
    int previous = selected;
    if (index < 0 || index >= count || index == selected)
        return previous;
    selected = index;
    invalidateRect(nullptr, FALSE);
    return previous;
}

int WndSelectList::getSelected()
{
    return selected;
}

int WndSelectList::isClapped()
{
    return clapped;
}

int WndSelectList::getSize()
{
    return count;
}

void WndSelectList::clap(int unfolded)
{
    if ((unfolded != 0) == (clapped != 0))
        return;
    clapped = unfolded;
    hilite = -1;
    int rows = clapped ? countEnabledSelect() + 1 : 1;
    // Unfolded, the column lies over the siblings below it.
    SetWindowPos(getHwnd(), clapped ? HWND_TOP : nullptr, 0, 0, itemWidth, rows * itemHeight,
                 SWP_NOMOVE | SWP_NOACTIVATE | (clapped ? 0 : SWP_NOZORDER));
    invalidateRect(nullptr, FALSE);
}

bool WndSelectList::enableSelect(int index, bool enable)
{
    if (index < 0 || index >= count)
        return false;
    bool previous = enabled[index];
    enabled[index] = enable;
    return previous;
}

int WndSelectList::countEnabledSelect()
{
    int n = 0;
    for (int i = 0; i < count; ++i)
        n += enabled[i] ? 1 : 0;
    return n;
}

bool WndSelectList::isEnabled(int index)
{
    return index >= 0 && index < count && enabled[index];
}

void WndSelectList::hiliteBefore()
{
    hiliteEnabledFrom(hilite - 1, -1);
}

void WndSelectList::hiliteNext()
{
    hiliteEnabledFrom(hilite + 1, 1);
}

void WndSelectList::hiliteFirst()
{
    hiliteEnabledFrom(0, 1);
}

void WndSelectList::hiliteLast()
{
    hiliteEnabledFrom(count - 1, -1);
}

void WndSelectList::hiliteEnabledFrom(int start, int step)
{
    for (int i = start; i >= 0 && i < count; i += step) {
        if (enabled[i]) {
            setHilite(i);
            return;
        }
    }
}

void WndSelectList::select()
{
    if (hilite < 0)
        return;
    bool changed = hilite != selected;
    selected = hilite;
    clap(0);
    if (changed && getParent() != nullptr)
        getParent()->sendMessage(WM_COMMAND, MAKEWPARAM(id, 1),
                                 reinterpret_cast<LPARAM>(getHwnd()));
}

int WndSelectList::selectAt(int row)
{
    if (row < 0)
        return count;
    int shown = 0;
    for (int i = 0; i < count; ++i) {
        if (enabled[i] && shown++ == row)
            return i;
    }
    return count;
}

void WndSelectList::setHilite(int index)
{
    if (index == hilite)
        return;
    hilite = index;
    invalidateRect(nullptr, FALSE);
}

LRESULT WndSelectList::notifyPaint(WPARAM, LPARAM)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(getHwnd(), &ps);
    if (dc == nullptr)
        return 0;
    bitmaps[3 * selected]->draw(dc, 0, 0);
    if (clapped) {
        int row = 1;
        for (int i = 0; i < count; ++i) {
            if (!enabled[i])
                continue;
            bitmaps[3 * i + (i == hilite ? 2 : 1)]->draw(dc, 0, row * itemHeight);
            ++row;
        }
    }
    EndPaint(getHwnd(), &ps);
    return 0;
}

LRESULT WndSelectList::notifyMouseMove(WPARAM, LPARAM lParam)
{
    if (!tracking) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, getHwnd(), 0};
        tracking = TrackMouseEvent(&track) != FALSE;
    }
    clap(1);
    int item = selectAt(GET_Y_LPARAM(lParam) / itemHeight - 1);
    setHilite(isEnabled(item) ? item : -1);
    return 0;
}

LRESULT WndSelectList::notifyMouseLeave(WPARAM, LPARAM)
{
    tracking = false;
    clap(0);
    return 0;
}

LRESULT WndSelectList::notifyLeftMouseButtonDown(WPARAM, LPARAM)
{
    select();
    return 0;
}

LRESULT WndSelectList::notifyKeyDown(WPARAM wParam, LPARAM)
{
    switch (wParam) {
    case VK_RETURN:
        if (hilite < 0)
            clap(0);
        else
            select();
        break;
    case VK_END: hiliteLast(); break;
    case VK_HOME: hiliteFirst(); break;
    case VK_UP: hiliteBefore(); break;
    case VK_DOWN: hiliteNext(); break;
    default: break;
    }
    return 0;
}
