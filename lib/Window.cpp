#include "Window.h"

#include <vector>

#include "Boundary.h"
#include "Win32Exception.h"

namespace
{
// The window rectangle through the overridable getWindowRect; a failure is thrown rather
// than used as an empty rectangle.
RECT windowRect(Window& window)
{
    RECT r;
    if (!window.getWindowRect(&r)) {
        DWORD error = GetLastError();
        throw Win32Exception("Fehler beim Abfragen der Fensterposition.", error);
    }
    return r;
}
} // namespace

HINSTANCE Window::hMainInstance = nullptr;

// Every member is defined here rather than in the class, so that it is exported with the rest.
HWND Window::getHwnd() const
{
    return hwnd;
}

void* Window::getInstanz() const
{
    return instance;
}

Window* Window::getParent() const
{
    return parent;
}

void Window::setHwnd(HWND newHwnd)
{
    hwnd = newHwnd;
}

void Window::setInstanz(void* newInstance)
{
    instance = newInstance;
}

void Window::setDefaultProcedure(WNDPROC procedure)
{
    defaultProcedure = procedure;
}

void Window::storeParent(Window* newParent)
{
    parent = newParent;
}

bool Window::isDestroyed() const
{
    return destroyed;
}

void Window::setDestroyed()
{
    destroyed = true;
}

Window::Window()
    : instance(nullptr), hwnd(nullptr), parent(nullptr), defaultProcedure(DefWindowProcA),
      destroyed(false)
{
}

Window::Window(HWND hwnd, Window* parent)
    : instance(nullptr), hwnd(hwnd), parent(parent), defaultProcedure(DefWindowProcA),
      destroyed(false)
{
}

Window::~Window()
{
    if (hwnd != nullptr && !destroyed) {
        Window::destroyWindow();
        hwnd = nullptr;
    }
}

ATOM Window::registerClass(unsigned int style, void* instance, HICON icon, HICON cursor,
                           HBRUSH background, char const* menuName, char const* className,
                           HICON smallIcon)
{
    WNDCLASSEXA wc;
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = wndProcCallback;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = static_cast<HINSTANCE>(instance);
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszMenuName = menuName;
    wc.lpszClassName = className;
    wc.hIconSm = smallIcon;
    return RegisterClassExA(&wc);
}

HWND Window::createWindowEx(unsigned long exStyle, char const* className, char const* title,
                            unsigned long style, int x, int y, int width, int height,
                            HWND parentWindow, HMENU menu)
{
    CreationBlock block = {this, hMainInstance};
    return CreateWindowExA(exStyle, className, title, style, x, y, width, height, parentWindow,
                           menu, hMainInstance, &block);
}

LRESULT CALLBACK Window::wndProcCallback(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Window* window = nullptr;
    if (msg == WM_NCCREATE) {
        CREATESTRUCTA* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        CreationBlock* block = static_cast<CreationBlock*>(cs->lpCreateParams);
        // A class of ours created without createWindowEx has no block and no object.
        if (block != nullptr && block->window != nullptr) {
            window = block->window;
            window->instance = block->instance;
            window->hwnd = hwnd;
            window->setWindowLong(GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        }
    } else {
        window = getWndFromHwnd(hwnd);
    }
    if (window == nullptr)
        return DefWindowProcA(hwnd, msg, wParam, lParam);

    return Boundary::guard<LRESULT>(0, [&] { return window->wndProc(msg, wParam, lParam); });
}

Window* Window::getWndFromHwnd(HWND hwnd)
{
    return reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void Window::setMainInstance(HINSTANCE instance)
{
    hMainInstance = instance;
}

HINSTANCE Window::getMainInstance()
{
    return hMainInstance;
}

LRESULT Window::callDefault(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // CallWindowProcA rather than a direct call: the dialog manager's procedure read back
    // through GetWindowLongPtrA may be a handle for A/W translation, not a plain address.
    return CallWindowProcA(defaultProcedure, hwnd, msg, wParam, lParam);
}

LRESULT Window::wndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_DESTROY: destroyed = true; return notifyDestroy(wParam, lParam);
    case WM_CLOSE: return notifyClose(wParam, lParam);
    case WM_CREATE: return notifyCreate(wParam, lParam);
    case WM_LBUTTONUP: return notifyLeftMouseButtonUp(wParam, lParam);
    case WM_RBUTTONUP: return notifyRightMouseButtonUp(wParam, lParam);
    case WM_LBUTTONDOWN: return notifyLeftMouseButtonDown(wParam, lParam);
    case WM_RBUTTONDOWN: return notifyRightMouseButtonDown(wParam, lParam);
    case WM_NCRBUTTONUP: return notifyNcRightMouseButtonUp(wParam, lParam);
    case WM_PAINT: return notifyPaint(wParam, lParam);
    case WM_ERASEBKGND: return notifyEraseBackground(wParam, lParam);
    case WM_SIZE: return notifySize(wParam, lParam);
    case WM_SIZING: return notifySizing(wParam, lParam);
    case WM_VSCROLL: return notifyVScroll(wParam, lParam);
    case WM_HSCROLL: return notifyHScroll(wParam, lParam);
    case WM_MOUSEMOVE: return notifyMouseMove(wParam, lParam);
    case WM_MOUSELEAVE: return notifyMouseLeave(wParam, lParam);
    case WM_TIMER: return notifyTimer(wParam, lParam);
    case WM_KEYUP: return notifyKeyUp(wParam, lParam);
    case WM_KEYDOWN: return notifyKeyDown(wParam, lParam);
    case WM_COMMAND: return notifyCommand(wParam, lParam);
    case WM_NCCALCSIZE: return notifyNcCalcSize(wParam, lParam);
    case WM_NCHITTEST: return notifyNcHitTest(wParam, lParam);
    case WM_CONTEXTMENU: return notifyContextmenu(wParam, lParam);
    case WM_USER: return notifyUser(wParam, lParam);
    case WM_MOUSEWHEEL: return notifyMouseWheel(wParam, lParam);
    case WM_SETFOCUS: return notifySetFocus(wParam, lParam);
    case WM_NOTIFY: return notifyNotify(wParam, lParam);
    case WM_SHOWWINDOW: return notifyShowWindow(wParam, lParam);
    case WM_ENABLE: return notifyEnable(wParam, lParam);
    case WM_WINDOWPOSCHANGING: return notifyWindowPosChanging(wParam, lParam);
    case WM_INITMENU: return notifyInitMenu(wParam, lParam);
    case WM_SYSCOMMAND: return notifySysCommand(wParam, lParam);
    case WM_MOVE: return notifyMove(wParam, lParam);
    case WM_MOVING: return notifyMoving(wParam, lParam);
    case WM_CTLCOLOREDIT: return notifyCtlColorEdit(wParam, lParam);
    case WM_CTLCOLORSTATIC: return notifyCtlColorStatic(wParam, lParam);
    case WM_LBUTTONDBLCLK: return notifyLeftMouseDoubleClick(wParam, lParam);
    case WM_CHAR: return notifyChar(wParam, lParam);
    case WM_GETDLGCODE: return notifyGetDlgCode(wParam, lParam);
    case WM_SETCURSOR: return notifySetCursor(wParam, lParam);
    case WM_HOTKEY: return notifyHotKey(wParam, lParam);
    case WM_NCPAINT: return notifyNcPaint(wParam, lParam);
    case WM_CAPTURECHANGED: return notifyCaptureChanged(wParam, lParam);
    default: return callDefault(msg, wParam, lParam);
    }
}

LRESULT Window::notifyDestroy(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_DESTROY, wParam, lParam);
}

LRESULT Window::notifyClose(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_CLOSE, wParam, lParam);
}

LRESULT Window::notifyCreate(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_CREATE, wParam, lParam);
}

LRESULT Window::notifyLeftMouseButtonUp(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_LBUTTONUP, wParam, lParam);
}

LRESULT Window::notifyRightMouseButtonUp(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_RBUTTONUP, wParam, lParam);
}

LRESULT Window::notifyLeftMouseButtonDown(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_LBUTTONDOWN, wParam, lParam);
}

LRESULT Window::notifyRightMouseButtonDown(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_RBUTTONDOWN, wParam, lParam);
}

LRESULT Window::notifyNcRightMouseButtonUp(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_NCRBUTTONUP, wParam, lParam);
}

LRESULT Window::notifyPaint(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_PAINT, wParam, lParam);
}

LRESULT Window::notifyEraseBackground(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_ERASEBKGND, wParam, lParam);
}

LRESULT Window::notifySize(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_SIZE, wParam, lParam);
}

LRESULT Window::notifySizing(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_SIZING, wParam, lParam);
}

LRESULT Window::notifyVScroll(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_VSCROLL, wParam, lParam);
}

LRESULT Window::notifyHScroll(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_HSCROLL, wParam, lParam);
}

LRESULT Window::notifyMouseMove(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_MOUSEMOVE, wParam, lParam);
}

LRESULT Window::notifyMouseLeave(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_MOUSELEAVE, wParam, lParam);
}

LRESULT Window::notifyTimer(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_TIMER, wParam, lParam);
}

LRESULT Window::notifyKeyUp(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_KEYUP, wParam, lParam);
}

LRESULT Window::notifyKeyDown(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_KEYDOWN, wParam, lParam);
}

LRESULT Window::notifyCommand(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_COMMAND, wParam, lParam);
}

LRESULT Window::notifyNcCalcSize(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_NCCALCSIZE, wParam, lParam);
}

LRESULT Window::notifyNcHitTest(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_NCHITTEST, wParam, lParam);
}

LRESULT Window::notifyContextmenu(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_CONTEXTMENU, wParam, lParam);
}

LRESULT Window::notifyUser(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_USER, wParam, lParam);
}

LRESULT Window::notifyMouseWheel(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_MOUSEWHEEL, wParam, lParam);
}

LRESULT Window::notifySetFocus(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_SETFOCUS, wParam, lParam);
}

LRESULT Window::notifyNotify(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_NOTIFY, wParam, lParam);
}

LRESULT Window::notifyShowWindow(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_SHOWWINDOW, wParam, lParam);
}

LRESULT Window::notifyEnable(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_ENABLE, wParam, lParam);
}

LRESULT Window::notifyWindowPosChanging(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_WINDOWPOSCHANGING, wParam, lParam);
}

LRESULT Window::notifyInitMenu(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_INITMENU, wParam, lParam);
}

LRESULT Window::notifySysCommand(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_SYSCOMMAND, wParam, lParam);
}

LRESULT Window::notifyMove(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_MOVE, wParam, lParam);
}

LRESULT Window::notifyMoving(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_MOVING, wParam, lParam);
}

LRESULT Window::notifyCtlColorEdit(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_CTLCOLOREDIT, wParam, lParam);
}

LRESULT Window::notifyCtlColorStatic(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_CTLCOLORSTATIC, wParam, lParam);
}

LRESULT Window::notifyLeftMouseDoubleClick(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_LBUTTONDBLCLK, wParam, lParam);
}

LRESULT Window::notifyChar(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_CHAR, wParam, lParam);
}

LRESULT Window::notifyGetDlgCode(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_GETDLGCODE, wParam, lParam);
}

LRESULT Window::notifySetCursor(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_SETCURSOR, wParam, lParam);
}

LRESULT Window::notifyHotKey(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_HOTKEY, wParam, lParam);
}

LRESULT Window::notifyNcPaint(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_NCPAINT, wParam, lParam);
}

LRESULT Window::notifyCaptureChanged(WPARAM wParam, LPARAM lParam)
{
    return callDefault(WM_CAPTURECHANGED, wParam, lParam);
}

Window* Window::setParent(Window* newParent)
{
    if (newParent == nullptr)
        return nullptr;
    Window* previous = parent;
    parent = newParent;
    SetParent(hwnd, newParent->getHwnd());
    return previous;
}

bool Window::isVisible()
{
    return IsWindowVisible(hwnd) == 1;
}

void Window::setVisible(bool visible)
{
    showWindow(visible ? SW_SHOW : SW_HIDE);
}

POINT Window::getWindowSize()
{
    RECT r = windowRect(*this);
    POINT size = {r.right - r.left, r.bottom - r.top};
    return size;
}

void Window::setWindowSize(int width, int height, int repaint)
{
    POINT pos = getClientPos();
    moveWindow(pos.x, pos.y, width, height, repaint);
}

POINT Window::getClientPos()
{
    RECT r = windowRect(*this);
    POINT pos = {r.left, r.top};
    if (parent != nullptr) {
        RECT p = windowRect(*parent);
        pos.x -= p.left;
        pos.y -= p.top;
    }
    return pos;
}

void Window::center()
{
    center(false);
}

void Window::center(bool onScreen)
{
    RECT r = windowRect(*this);
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    int x, y;
    if (!onScreen && parent != nullptr) {
        RECT p = windowRect(*parent);
        x = p.left + ((p.right - p.left) - w) / 2;
        y = p.top + ((p.bottom - p.top) - h) / 2;
    } else {
        x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    }
    moveWindow(x, y, isVisible() ? 1 : 0);
}

POINT Window::makeRelativePoint(LPARAM lParam)
{
    RECT r = windowRect(*this);
    POINT p;
    p.x = static_cast<LONG>(LOWORD(lParam)) - r.left;
    p.y = static_cast<LONG>(HIWORD(lParam)) - r.top;
    return p;
}

void Window::absOffsetRgn(HRGN region, int x, int y)
{
    RECT box;
    if (GetRgnBox(region, &box) == 0)
        return;
    OffsetRgn(region, x - box.left, y - box.top);
}

unsigned long Window::removeWindowStyle(unsigned long mask)
{
    unsigned long style = static_cast<unsigned long>(getWindowLong(GWL_STYLE)) & ~mask;
    setWindowLong(GWL_STYLE, static_cast<LONG_PTR>(style));
    return style;
}

bool Window::isShift()
{
    return GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CAPITAL) > 0;
}

String Window::getWindowText()
{
    std::vector<char> buffer(GetWindowTextLengthA(hwnd) + 1, '\0');
    GetWindowTextA(hwnd, buffer.data(), static_cast<int>(buffer.size()));
    return String(buffer.data());
}

BOOL Window::registerHotKey(int id, unsigned int modifiers, unsigned int key)
{
    return RegisterHotKey(hwnd, id, modifiers, key);
}

BOOL Window::unregisterHotKey(int id)
{
    return UnregisterHotKey(hwnd, id);
}

BOOL Window::showWindow(int command)
{
    return ShowWindow(hwnd, command);
}

BOOL Window::destroyWindow()
{
    if (hwnd == nullptr || destroyed)
        return 0;
    BOOL result = DestroyWindow(hwnd);
    hwnd = nullptr;
    return result;
}

BOOL Window::moveWindow(int x, int y, int repaint)
{
    POINT size = getWindowSize();
    return MoveWindow(hwnd, x, y, size.x, size.y, repaint);
}

BOOL Window::moveWindow(int x, int y, int width, int height, int repaint)
{
    return MoveWindow(hwnd, x, y, width, height, repaint);
}

BOOL Window::getWindowRect(RECT* rect)
{
    return GetWindowRect(hwnd, rect);
}

LONG_PTR Window::setWindowLong(int index, LONG_PTR value)
{
    return SetWindowLongPtrA(hwnd, index, value);
}

LONG_PTR Window::getWindowLong(int index)
{
    return GetWindowLongPtrA(hwnd, index);
}

LRESULT Window::sendMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(hwnd, msg, wParam, lParam);
}

BOOL Window::postMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return PostMessageA(hwnd, msg, wParam, lParam);
}

int Window::messageBox(char const* text, char const* caption, unsigned int type)
{
    return MessageBoxA(hwnd, text, caption, type);
}

BOOL Window::getClientRect(RECT* rect)
{
    return GetClientRect(hwnd, rect);
}

BOOL Window::invalidateRect(RECT const* rect, int erase)
{
    return InvalidateRect(hwnd, rect, erase);
}

UINT_PTR Window::setTimer(UINT_PTR id, unsigned int elapse, TIMERPROC timerProc)
{
    return SetTimer(hwnd, id, elapse, timerProc);
}

BOOL Window::killTimer(UINT_PTR id)
{
    return KillTimer(hwnd, id);
}

int Window::setWindowRgn(HRGN region, int redraw)
{
    return SetWindowRgn(hwnd, region, redraw);
}

HMENU Window::getMenu()
{
    return GetMenu(hwnd);
}

BOOL Window::setWindowText(char const* text)
{
    return SetWindowTextA(hwnd, text);
}

BOOL Window::showScrollBar(int bar, int show)
{
    return ShowScrollBar(hwnd, bar, show);
}

int Window::setScrollInfo(int bar, SCROLLINFO* info, int redraw)
{
    return SetScrollInfo(hwnd, bar, info, redraw);
}

int Window::setScrollPos(int bar, int pos, int redraw)
{
    return SetScrollPos(hwnd, bar, pos, redraw);
}

HWND Window::setFocus()
{
    return SetFocus(hwnd);
}

HDC Window::getDC()
{
    return GetDC(hwnd);
}

int Window::releaseDC(HDC dc)
{
    return ReleaseDC(hwnd, dc);
}

BOOL Window::enableWindow(int enable)
{
    return EnableWindow(hwnd, enable);
}

BOOL Window::setForegroundWindow()
{
    return SetForegroundWindow(hwnd);
}

BOOL Window::isIconic()
{
    return IsIconic(hwnd);
}

bool Window::isWindowEnabled()
{
    return IsWindowEnabled(hwnd) == 1;
}

BOOL Window::bringWindowToTop()
{
    return BringWindowToTop(hwnd);
}
