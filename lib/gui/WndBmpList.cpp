#include "WndBmpList.h"

ATOM WndBmpList::atomClass = 0;

namespace
{
char const* const className = "MrtkWndBmpListKlasse";
}

WndBmpList::WndBmpList(void* instance, Window* parent, unsigned short id, int x, int y,
                       int* bitmapIds, int count)
    : count(0), border(false), fillWhite(false), selected(0), id(id)
{
    create(instance, parent, id, x, y, bitmapIds, count);
}

WndBmpList::WndBmpList(void* instance, Window* parent, unsigned short id, int x, int y,
                       int bitmapId)
    : count(0), border(false), fillWhite(false), selected(0), id(id)
{
    int ids[] = {bitmapId};
    create(instance, parent, id, x, y, ids, 1);
}

WndBmpList::WndBmpList(void* instance, Window* parent, unsigned short id, int x, int y,
                       int bitmapId1, int bitmapId2)
    : count(0), border(false), fillWhite(false), selected(0), id(id)
{
    int ids[] = {bitmapId1, bitmapId2};
    create(instance, parent, id, x, y, ids, 2);
}

WndBmpList::WndBmpList(void* instance, Window* parent, unsigned short id, int x, int y,
                       int bitmapId1, int bitmapId2, int bitmapId3)
    : count(0), border(false), fillWhite(false), selected(0), id(id)
{
    int ids[] = {bitmapId1, bitmapId2, bitmapId3};
    create(instance, parent, id, x, y, ids, 3);
}

WndBmpList::WndBmpList(void* instance, Window* parent, int x, int y, int bitmapId)
    : count(0), border(false), fillWhite(false), selected(0), id(0)
{
    int ids[] = {bitmapId};
    create(instance, parent, 0, x, y, ids, 1);
}

WndBmpList::WndBmpList(Window* parent, int x, int y, int width, int height, bool border)
    : count(1), border(border), fillWhite(true), selected(-1), id(0)
{
    storeParent(parent);
    bitmaps.resize(1);
    registerOnce(getMainInstance());
    createWindowEx(0, className, nullptr,
                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | (border ? WS_BORDER : 0), x, y, width,
                   height, parent != nullptr ? parent->getHwnd() : nullptr, nullptr);
}

WndBmpList::WndBmpList() : count(0), border(false), fillWhite(false), selected(-1), id(0)
{
}

WndBmpList::~WndBmpList()
{
    destroyWindow();
}

void WndBmpList::registerOnce(void* instance)
{
    if (atomClass == 0)
        atomClass = registerClass(0, instance, nullptr, LoadCursorA(nullptr, IDC_ARROW), nullptr,
                                  nullptr, className, nullptr);
}

void WndBmpList::create(void* instance, Window* parent, unsigned short controlId, int x, int y,
                        int const* bitmapIds, int bitmapCount)
{
    storeParent(parent);
    id = controlId;
    count = bitmapCount < 0 ? 0 : bitmapCount;
    HINSTANCE module = static_cast<HINSTANCE>(instance);
    for (int i = 0; i < count; ++i)
        bitmaps.emplace_back(new Bitmap(module, bitmapIds[i]));
    if (bitmaps.empty() || bitmaps[0]->getSize().x == 0)
        return;
    registerOnce(instance);
    POINT size = bitmaps[0]->getSize();
    createWindowEx(0, className, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, size.x, size.y,
                   parent != nullptr ? parent->getHwnd() : nullptr, nullptr);
}

int WndBmpList::select(int index)
{
    int previous = selected;
    if (index < -1 || index >= count || index == selected)
        return previous;
    selected = index;
    invalidateRect(nullptr, FALSE);
    return previous;
}

void WndBmpList::setBitmap(Bitmap* bitmap)
{
    if (bitmaps.empty())
        bitmaps.resize(1);
    if (bitmaps[0]) {
        bitmaps[0].reset();
        selected = -1;
    }
    if (bitmap != nullptr) {
        bitmaps[0].reset(bitmap);
        selected = 0;
    }
    count = static_cast<int>(bitmaps.size());
    invalidateRect(nullptr, isVisible());
}

LRESULT WndBmpList::notifyPaint(WPARAM wParam, LPARAM lParam)
{
    Bitmap* shown = selected >= 0 && selected < count ? bitmaps[selected].get() : nullptr;
    if (shown == nullptr && !fillWhite)
        return Window::notifyPaint(wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(getHwnd(), &ps);
    if (dc == nullptr)
        return 0;
    if (shown != nullptr) {
        shown->draw(dc, 0, 0);
    } else {
        RECT client;
        if (getClientRect(&client))
            FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    EndPaint(getHwnd(), &ps);
    return 0;
}

LRESULT WndBmpList::notifyMouseMove(WPARAM, LPARAM)
{
    if (id != 0 && getParent() != nullptr)
        getParent()->sendMessage(WM_COMMAND, MAKEWPARAM(id, 1),
                                 reinterpret_cast<LPARAM>(getHwnd()));
    return 0;
}
