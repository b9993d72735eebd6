#include "WndButton.h"

ATOM WndButton::atomClass = 0;

namespace
{
char const* const className = "MrtkWndButtonKlasse";
}

WndButton::WndButton(void* instance, Window* parent, unsigned short id, int x, int y, int upId,
                     int downId, int hiliteId, int downHiliteId, int flags)
    : mouseDown(false), keyDown(false), highlighted(false), down(false), id(id), tracking(false),
      flags(flags), imageList(nullptr), hiliteImageList(nullptr), imageIndex(-1), overlayIndex(-1)
{
    storeParent(parent);
    HINSTANCE module = static_cast<HINSTANCE>(instance);
    upImage.reset(new Bitmap(module, upId));
    downImage.reset(new Bitmap(module, downId));
    if (hiliteId != 0)
        hiliteImage.reset(new Bitmap(module, hiliteId));
    if (downHiliteId != 0)
        downHiliteImage.reset(new Bitmap(module, downHiliteId));
    POINT size = upImage->getSize();
    if (size.x == 0)
        return;
    if (atomClass == 0)
        atomClass = registerClass(0, instance, nullptr, LoadCursorA(nullptr, IDC_ARROW), nullptr,
                                  nullptr, className, nullptr);
    createWindowEx(0, className, nullptr, WS_CHILD | WS_VISIBLE, x, y, size.x, size.y,
                   parent != nullptr ? parent->getHwnd() : nullptr, nullptr);
}

WndButton::~WndButton()
{
    destroyWindow();
}

void WndButton::setHilite(bool hilite)
{
    if (hilite == highlighted)
        return;
    highlighted = hilite;
    invalidateRect(nullptr, FALSE);
}

int WndButton::getState()
{
    return down ? 1 : 2;
}

void WndButton::setState(int state)
{
    bool newDown = state == 1;
    if (newDown == down)
        return;
    down = newDown;
    invalidateRect(nullptr, FALSE);
}

void WndButton::notifyKey(bool keyIsDown)
{
    if (keyIsDown == keyDown)
        return;
    keyDown = keyIsDown;
    applyStateRule();
}

void WndButton::reset()
{
    bool wasDown = down;
    mouseDown = keyDown = down = false;
    if (wasDown)
        invalidateRect(nullptr, FALSE);
}

int WndButton::getFlags()
{
    return flags;
}

void WndButton::setFlags(int newFlags)
{
    flags = newFlags;
}

void WndButton::setImageLists(ImageList* normal, ImageList* hilite)
{
    imageList = normal;
    hiliteImageList = hilite;
}

void WndButton::setImageIndex(int index, int overlay)
{
    imageIndex = index;
    overlayIndex = overlay;
    invalidateRect(nullptr, isVisible());
}

void WndButton::setImageIndex(int index)
{
    imageIndex = index;
    invalidateRect(nullptr, isVisible());
}

void WndButton::setImageIndexOverlay(int overlay)
{
    overlayIndex = overlay;
    invalidateRect(nullptr, isVisible());
}

int WndButton::getImageIndex()
{
    return imageIndex;
}

int WndButton::getImageIndexOverlay()
{
    return overlayIndex;
}

void WndButton::applyStateRule()
{
    bool old = down;
    if (flags & toggling) {
        // A press begins when exactly one of mouse and key holds the button.
        if (mouseDown != keyDown)
            down = !old;
    } else {
        down = mouseDown || keyDown;
    }
    if ((flags & latching) && old)
        down = true;
    if (down == old)
        return;
    invalidateRect(nullptr, FALSE);
    if (getParent() != nullptr)
        getParent()->sendMessage(WM_COMMAND, MAKEWPARAM(id, down ? 1 : 2),
                                 reinterpret_cast<LPARAM>(getHwnd()));
}

LRESULT WndButton::notifyLeftMouseButtonDown(WPARAM, LPARAM)
{
    mouseDown = true;
    applyStateRule();
    return 0;
}

LRESULT WndButton::notifyLeftMouseButtonUp(WPARAM, LPARAM)
{
    mouseDown = false;
    applyStateRule();
    return 0;
}

LRESULT WndButton::notifyMouseMove(WPARAM, LPARAM)
{
    if (down && (flags & latching))
        return 0;
    if (hiliteImage && !(flags & noHighlight) && !highlighted)
        setHilite(true);
    if (!tracking) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, getHwnd(), 0};
        tracking = TrackMouseEvent(&track) != FALSE;
    }
    return 0;
}

LRESULT WndButton::notifyMouseLeave(WPARAM, LPARAM)
{
    tracking = false;
    if (!(flags & keepOnLeave))
        mouseDown = false;
    if (!(flags & noHighlight))
        setHilite(false);
    applyStateRule();
    return 0;
}

void WndButton::drawImage(HDC dc, int index)
{
    if (index == -1 || imageList == nullptr)
        return;
    ImageList* list = highlighted && hiliteImageList != nullptr ? hiliteImageList : imageList;
    int offset = down ? 5 : 4;
    list->draw(index, dc, offset, offset);
}

LRESULT WndButton::notifyPaint(WPARAM, LPARAM)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(getHwnd(), &ps);
    if (dc == nullptr)
        return 0;
    Bitmap* image;
    if (down)
        image = highlighted && downHiliteImage ? downHiliteImage.get() : downImage.get();
    else
        image = highlighted && hiliteImage ? hiliteImage.get() : upImage.get();
    image->draw(dc, 0, 0);
    drawImage(dc, imageIndex);
    drawImage(dc, overlayIndex);
    EndPaint(getHwnd(), &ps);
    return 0;
}
