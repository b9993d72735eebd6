#ifndef WINDOW_H
#define WINDOW_H

#include <windows.h>

#include "LibApi.h"
#include "String.h"

// Binds one library object to one Win32 window and turns its messages into calls of virtual
// notify handlers. A handler that is not overridden passes its message to the default
// procedure, so a window that overrides nothing behaves like DefWindowProcA alone.
class LIBAPI Window
{
public:
    Window();
    // Wraps an existing window (a dialog's control, say) without attaching to it.
    Window(HWND hwnd, Window* parent);

    static ATOM registerClass(unsigned int style, void* instance, HICON icon, HICON cursor,
                              HBRUSH background, char const* menuName, char const* className,
                              HICON smallIcon);
    static Window* getWndFromHwnd(HWND hwnd);
    static void setMainInstance(HINSTANCE instance);

    HWND getHwnd() const;
    void setHwnd(HWND newHwnd);
    void* getInstanz() const;
    void setInstanz(void* newInstance);
    Window* getParent() const;
    // Returns the previous parent object; a null argument is refused (returns null, no change).
    Window* setParent(Window* newParent);

    bool isVisible();
    void setVisible(bool visible);
    // The geometry helpers throw Win32Exception when the window rectangle cannot be read.
    POINT getWindowSize();
    void setWindowSize(int width, int height, int repaint);
    POINT getClientPos();
    void center();
    void center(bool onScreen);
    POINT makeRelativePoint(LPARAM lParam);
    static void absOffsetRgn(HRGN region, int x, int y);
    unsigned long removeWindowStyle(unsigned long mask);
    String getWindowText();
    BOOL registerHotKey(int id, unsigned int modifiers, unsigned int key);
    BOOL unregisterHotKey(int id);

    // The virtual operations are declared in the order of their table slots: wndProc, the
    // notify handlers in the order of the dispatch table, the destructor, the wrappers.
protected:
    virtual LRESULT wndProc(UINT msg, WPARAM wParam, LPARAM lParam);

    virtual LRESULT notifyDestroy(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyClose(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyCreate(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyLeftMouseButtonUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyRightMouseButtonUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyLeftMouseButtonDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyRightMouseButtonDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyNcRightMouseButtonUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyPaint(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyEraseBackground(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifySize(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifySizing(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyVScroll(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyHScroll(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyMouseMove(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyMouseLeave(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyTimer(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyKeyUp(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyKeyDown(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyNcCalcSize(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyNcHitTest(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyContextmenu(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyUser(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyMouseWheel(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifySetFocus(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyNotify(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyShowWindow(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyEnable(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyWindowPosChanging(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyInitMenu(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifySysCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyMove(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyMoving(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyCtlColorEdit(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyCtlColorStatic(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyLeftMouseDoubleClick(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyChar(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyGetDlgCode(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifySetCursor(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyHotKey(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyNcPaint(WPARAM wParam, LPARAM lParam);
    virtual LRESULT notifyCaptureChanged(WPARAM wParam, LPARAM lParam);

public:
    virtual ~Window();

    virtual BOOL showWindow(int command);
    virtual BOOL destroyWindow();
    virtual BOOL moveWindow(int x, int y, int repaint);
    virtual BOOL moveWindow(int x, int y, int width, int height, int repaint);
    virtual BOOL getWindowRect(RECT* rect);
    virtual LONG_PTR setWindowLong(int index, LONG_PTR value);
    virtual LONG_PTR getWindowLong(int index);
    virtual LRESULT sendMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual BOOL postMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual int messageBox(char const* text, char const* caption, unsigned int type);
    virtual BOOL getClientRect(RECT* rect);
    virtual BOOL invalidateRect(RECT const* rect, int erase);
    virtual UINT_PTR setTimer(UINT_PTR id, unsigned int elapse, TIMERPROC timerProc);
    virtual BOOL killTimer(UINT_PTR id);
    virtual int setWindowRgn(HRGN region, int redraw);
    virtual HMENU getMenu();
    virtual BOOL setWindowText(char const* text);
    virtual BOOL showScrollBar(int bar, int show);
    virtual int setScrollInfo(int bar, SCROLLINFO* info, int redraw);
    virtual int setScrollPos(int bar, int pos, int redraw);
    virtual HWND setFocus();
    virtual HDC getDC();
    virtual int releaseDC(HDC dc);
    virtual BOOL enableWindow(int enable);
    virtual BOOL setForegroundWindow();
    virtual BOOL isIconic();
    virtual bool isWindowEnabled();
    virtual BOOL bringWindowToTop();

protected:
    static LRESULT CALLBACK wndProcCallback(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static HINSTANCE getMainInstance();

    HWND createWindowEx(unsigned long exStyle, char const* className, char const* title,
                        unsigned long style, int x, int y, int width, int height, HWND parentWindow,
                        HMENU menu);
    bool isShift();

    // Gives a message to the default procedure (DefWindowProcA, or the dialog manager's
    // procedure of a subclassed dialog).
    LRESULT callDefault(UINT msg, WPARAM wParam, LPARAM lParam);
    void setDefaultProcedure(WNDPROC procedure);
    void storeParent(Window* newParent);
    bool isDestroyed() const;
    void setDestroyed();

private:
    // What createWindowEx hands to WM_NCCREATE; lives only during the call.
    struct CreationBlock
    {
        Window* window;
        HINSTANCE instance;
    };

    Window(Window const&) = delete;
    Window& operator=(Window const&) = delete;

    static HINSTANCE hMainInstance;

    void* instance;
    HWND hwnd;
    Window* parent;
    WNDPROC defaultProcedure;
    bool destroyed;
};

#endif
