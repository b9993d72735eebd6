#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Exception.h"
#include "Window.h"

namespace {

char const testClass[] = "MrtkWindowTestKlasse";

struct Call
{
    std::string handler;
    WPARAM wParam;
    LPARAM lParam;
};

// Records every message its wndProc sees; optionally overrides every handler.
class ProbeWindow : public Window
{
public:
    explicit ProbeWindow(bool overrideAll = false) : overrideAll(overrideAll) {}

    HWND create(int x = 100, int y = 50, int width = 200, int height = 100)
    {
        ensureClass();
        setMainInstance(GetModuleHandleA(nullptr));
        return createWindowEx(0, testClass, "Probe", WS_POPUP, x, y, width, height, nullptr,
                              nullptr);
    }
    static void ensureClass()
    {
        static ATOM atom = 0;
        if (atom == 0)
            atom = registerClass(0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr,
                                 nullptr, testClass, nullptr);
        ASSERT_NE(0, atom);
    }
    using Window::isDestroyed;
    using Window::isShift;
    using Window::setDefaultProcedure;

    std::vector<UINT> seen;
    std::vector<Call> calls;
    bool throwOnUser = false;

protected:
    LRESULT wndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(msg);
        return Window::wndProc(msg, wParam, lParam);
    }

#define PROBE(name)                                                                            \
    LRESULT name(WPARAM wParam, LPARAM lParam) override                                        \
    {                                                                                          \
        if (!overrideAll)                                                                      \
            return Window::name(wParam, lParam);                                               \
        calls.push_back({#name, wParam, lParam});                                              \
        return 0x5A;                                                                           \
    }
    PROBE(notifyDestroy) PROBE(notifyClose) PROBE(notifyCreate) PROBE(notifyLeftMouseButtonUp)
    PROBE(notifyRightMouseButtonUp) PROBE(notifyLeftMouseButtonDown)
    PROBE(notifyRightMouseButtonDown) PROBE(notifyNcRightMouseButtonUp) PROBE(notifyPaint)
    PROBE(notifyEraseBackground) PROBE(notifySize) PROBE(notifySizing) PROBE(notifyVScroll)
    PROBE(notifyHScroll) PROBE(notifyMouseMove) PROBE(notifyMouseLeave) PROBE(notifyTimer)
    PROBE(notifyKeyUp) PROBE(notifyKeyDown) PROBE(notifyCommand) PROBE(notifyNcCalcSize)
    PROBE(notifyNcHitTest) PROBE(notifyContextmenu) PROBE(notifyMouseWheel)
    PROBE(notifySetFocus) PROBE(notifyNotify) PROBE(notifyShowWindow) PROBE(notifyEnable)
    PROBE(notifyWindowPosChanging) PROBE(notifyInitMenu) PROBE(notifySysCommand)
    PROBE(notifyMove) PROBE(notifyMoving) PROBE(notifyCtlColorEdit) PROBE(notifyCtlColorStatic)
    PROBE(notifyLeftMouseDoubleClick) PROBE(notifyChar) PROBE(notifyGetDlgCode)
    PROBE(notifySetCursor) PROBE(notifyHotKey) PROBE(notifyNcPaint) PROBE(notifyCaptureChanged)
#undef PROBE

    LRESULT notifyUser(WPARAM wParam, LPARAM lParam) override
    {
        if (throwOnUser)
            throw Exception("Absicht");
        if (!overrideAll)
            return Window::notifyUser(wParam, lParam);
        calls.push_back({"notifyUser", wParam, lParam});
        return 0x5A;
    }

private:
    bool overrideAll;
};

std::vector<Call> defaultCalls;

LRESULT CALLBACK recordingDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    defaultCalls.push_back({std::to_string(msg), wParam, lParam});
    return DefWindowProcA(hwnd, msg, wParam, lParam) + 0x1000;
}

}

TEST(WindowLifecycleTest, AttachesOnNcCreateAndNothingReachesTheObjectBefore)
{
    ProbeWindow w;
    HWND hwnd = w.create();
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(hwnd, w.getHwnd());
    EXPECT_EQ(&w, Window::getWndFromHwnd(hwnd));
    EXPECT_EQ(GetModuleHandleA(nullptr), w.getInstanz());
    ASSERT_FALSE(w.seen.empty());
    // WM_GETMINMAXINFO comes before WM_NCCREATE and goes to DefWindowProcA only.
    EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), w.seen.front());
    EXPECT_EQ(nullptr, Window::getWndFromHwnd(GetDesktopWindow()));
}

TEST(WindowLifecycleTest, DestroyWindowTwiceAndDestroyedByTheSystem)
{
    ProbeWindow w;
    HWND hwnd = w.create();
    EXPECT_NE(0, w.destroyWindow());
    EXPECT_EQ(nullptr, w.getHwnd());
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(0, w.destroyWindow());

    // A window destroyed from outside sets the flag; the object then leaves it alone.
    ProbeWindow* other = new ProbeWindow();
    HWND otherHwnd = other->create();
    ASSERT_TRUE(DestroyWindow(otherHwnd));
    EXPECT_TRUE(other->isDestroyed());
    EXPECT_EQ(0, other->destroyWindow());
    delete other;

    // The destructor destroys a live window.
    HWND owned;
    {
        ProbeWindow scoped;
        owned = scoped.create();
        ASSERT_TRUE(IsWindow(owned));
    }
    EXPECT_FALSE(IsWindow(owned));
}

TEST(WindowDispatchTest, EveryTableMessageReachesItsHandler)
{
    struct Row
    {
        UINT msg;
        char const* handler;
    };
    static Row const table[] = {
        {WM_CLOSE, "notifyClose"}, {WM_CREATE, "notifyCreate"},
        {WM_LBUTTONUP, "notifyLeftMouseButtonUp"}, {WM_RBUTTONUP, "notifyRightMouseButtonUp"},
        {WM_LBUTTONDOWN, "notifyLeftMouseButtonDown"},
        {WM_RBUTTONDOWN, "notifyRightMouseButtonDown"},
        {WM_NCRBUTTONUP, "notifyNcRightMouseButtonUp"}, {WM_PAINT, "notifyPaint"},
        {WM_ERASEBKGND, "notifyEraseBackground"}, {WM_SIZE, "notifySize"},
        {WM_SIZING, "notifySizing"}, {WM_VSCROLL, "notifyVScroll"},
        {WM_HSCROLL, "notifyHScroll"}, {WM_MOUSEMOVE, "notifyMouseMove"},
        {WM_MOUSELEAVE, "notifyMouseLeave"}, {WM_TIMER, "notifyTimer"},
        {WM_KEYUP, "notifyKeyUp"}, {WM_KEYDOWN, "notifyKeyDown"},
        {WM_COMMAND, "notifyCommand"}, {WM_NCCALCSIZE, "notifyNcCalcSize"},
        {WM_NCHITTEST, "notifyNcHitTest"}, {WM_CONTEXTMENU, "notifyContextmenu"},
        {WM_USER, "notifyUser"}, {WM_MOUSEWHEEL, "notifyMouseWheel"},
        {WM_SETFOCUS, "notifySetFocus"}, {WM_NOTIFY, "notifyNotify"},
        {WM_SHOWWINDOW, "notifyShowWindow"}, {WM_ENABLE, "notifyEnable"},
        {WM_WINDOWPOSCHANGING, "notifyWindowPosChanging"}, {WM_INITMENU, "notifyInitMenu"},
        {WM_SYSCOMMAND, "notifySysCommand"}, {WM_MOVE, "notifyMove"},
        {WM_MOVING, "notifyMoving"}, {WM_CTLCOLOREDIT, "notifyCtlColorEdit"},
        {WM_CTLCOLORSTATIC, "notifyCtlColorStatic"},
        {WM_LBUTTONDBLCLK, "notifyLeftMouseDoubleClick"}, {WM_CHAR, "notifyChar"},
        {WM_GETDLGCODE, "notifyGetDlgCode"}, {WM_SETCURSOR, "notifySetCursor"},
        {WM_HOTKEY, "notifyHotKey"}, {WM_NCPAINT, "notifyNcPaint"},
        {WM_CAPTURECHANGED, "notifyCaptureChanged"}, {WM_DESTROY, "notifyDestroy"},
    };
    ASSERT_EQ(43u, sizeof(table) / sizeof(table[0]));

    ProbeWindow w(true);
    HWND hwnd = w.create();
    ASSERT_NE(nullptr, hwnd);
    for (Row const& row : table) {
        w.calls.clear();
        WPARAM wParam = 0x1200 + row.msg;
        LPARAM lParam = 0x3400 + row.msg;
        LRESULT result = SendMessageA(hwnd, row.msg, wParam, lParam);
        ASSERT_EQ(1u, w.calls.size()) << "message 0x" << std::hex << row.msg;
        EXPECT_EQ(row.handler, w.calls[0].handler);
        EXPECT_EQ(wParam, w.calls[0].wParam) << row.handler;
        EXPECT_EQ(lParam, w.calls[0].lParam) << row.handler;
        EXPECT_EQ(0x5A, result) << row.handler;
    }
    // The overridden notifyDestroy did not destroy anything, but the flag is set.
    EXPECT_TRUE(w.isDestroyed());
    EXPECT_TRUE(IsWindow(hwnd));
    DestroyWindow(hwnd);
}

TEST(WindowDispatchTest, UnhandledMessagesAndBaseHandlersGoToTheDefaultProcedure)
{
    ProbeWindow w;
    HWND hwnd = w.create();
    w.setDefaultProcedure(recordingDefault);
    defaultCalls.clear();

    // Outside the table: no handler, straight to the default procedure.
    EXPECT_EQ(0x1000, SendMessageA(hwnd, WM_USER + 1, 7, 8));
    // A base handler forwards its own message with the same parameters.
    EXPECT_EQ(0x1000, SendMessageA(hwnd, WM_TIMER, 99, 0x1234));
    ASSERT_EQ(2u, defaultCalls.size());
    EXPECT_EQ(std::to_string(WM_USER + 1), defaultCalls[0].handler);
    EXPECT_EQ(7u, defaultCalls[0].wParam);
    EXPECT_EQ(8, defaultCalls[0].lParam);
    EXPECT_EQ(std::to_string(WM_TIMER), defaultCalls[1].handler);
    EXPECT_EQ(99u, defaultCalls[1].wParam);
    EXPECT_EQ(0x1234, defaultCalls[1].lParam);

    // WM_USER + 1 reaches no handler even when all are overridden.
    ProbeWindow all(true);
    HWND allHwnd = all.create();
    all.calls.clear();
    SendMessageA(allHwnd, WM_USER + 1, 0, 0);
    EXPECT_TRUE(all.calls.empty());
}

TEST(WindowDispatchTest, ExceptionFromAHandlerStopsAtTheWindowProcedure)
{
    ProbeWindow w;
    HWND hwnd = w.create();
    w.throwOnUser = true;
    EXPECT_EQ(0, SendMessageA(hwnd, WM_USER, 0, 0));
    EXPECT_TRUE(IsWindow(hwnd));
}

TEST(WindowGeometryTest, CenterOnScreenAndOnParent)
{
    int cx = GetSystemMetrics(SM_CXSCREEN);
    int cy = GetSystemMetrics(SM_CYSCREEN);
    RECT r;

    ProbeWindow lone;
    lone.create(3, 4, 101, 51);
    lone.center();
    ASSERT_TRUE(GetWindowRect(lone.getHwnd(), &r));
    EXPECT_EQ((cx - 101) / 2, r.left);
    EXPECT_EQ((cy - 51) / 2, r.top);
    EXPECT_EQ(101, r.right - r.left);

    ProbeWindow parent;
    parent.create(40, 30, 400, 300);
    ProbeWindow childWindow;
    HWND childHwnd = childWindow.create(0, 0, 101, 51);
    Window wrapped(childHwnd, &parent);
    wrapped.center();
    ASSERT_TRUE(GetWindowRect(childHwnd, &r));
    EXPECT_EQ(40 + (400 - 101) / 2, r.left);
    EXPECT_EQ(30 + (300 - 51) / 2, r.top);
    wrapped.center(true);
    ASSERT_TRUE(GetWindowRect(childHwnd, &r));
    EXPECT_EQ((cx - 101) / 2, r.left);
    EXPECT_EQ((cy - 51) / 2, r.top);

    // A window larger than its parent: negative halves truncate toward zero.
    ProbeWindow big;
    HWND bigHwnd = big.create(0, 0, 403, 303);
    Window wrappedBig(bigHwnd, &parent);
    wrappedBig.center();
    ASSERT_TRUE(GetWindowRect(bigHwnd, &r));
    EXPECT_EQ(40 + (400 - 403) / 2, r.left);
    EXPECT_EQ(40 - 1, r.left);
    EXPECT_EQ(30 - 1, r.top);
}

TEST(WindowGeometryTest, RelativePointSizeAndPosition)
{
    ProbeWindow w;
    w.create(100, 50, 200, 100);
    POINT p = w.makeRelativePoint(MAKELPARAM(300, 200));
    EXPECT_EQ(200, p.x);
    EXPECT_EQ(150, p.y);
    // The halves are unsigned: 0xFFFF is 65535, not -1.
    p = w.makeRelativePoint(MAKELPARAM(0xFFFF, 0xFFFF));
    EXPECT_EQ(65535 - 100, p.x);
    EXPECT_EQ(65535 - 50, p.y);

    POINT size = w.getWindowSize();
    EXPECT_EQ(200, size.x);
    EXPECT_EQ(100, size.y);
    w.setWindowSize(120, 60, 0);
    RECT r;
    ASSERT_TRUE(GetWindowRect(w.getHwnd(), &r));
    EXPECT_EQ(100, r.left);
    EXPECT_EQ(50, r.top);
    EXPECT_EQ(120, r.right - r.left);
    EXPECT_EQ(60, r.bottom - r.top);
    w.moveWindow(7, 9, 0);
    ASSERT_TRUE(GetWindowRect(w.getHwnd(), &r));
    EXPECT_EQ(7, r.left);
    EXPECT_EQ(120, r.right - r.left);

    ProbeWindow parent;
    parent.create(30, 20, 300, 300);
    Window wrapped(w.getHwnd(), &parent);
    POINT pos = wrapped.getClientPos();
    EXPECT_EQ(7 - 30, pos.x);
    EXPECT_EQ(9 - 20, pos.y);
}

TEST(WindowStyleTest, RemoveWindowStyleAndVisibility)
{
    ProbeWindow w;
    HWND hwnd = w.create();
    SetWindowLongPtrA(hwnd, GWL_STYLE, GetWindowLongPtrA(hwnd, GWL_STYLE) | WS_BORDER);
    unsigned long before = static_cast<unsigned long>(GetWindowLongPtrA(hwnd, GWL_STYLE));
    EXPECT_EQ(before, w.removeWindowStyle(WS_HSCROLL | WS_VSCROLL));
    EXPECT_EQ(before, static_cast<unsigned long>(GetWindowLongPtrA(hwnd, GWL_STYLE)));
    EXPECT_EQ(before & ~WS_BORDER, w.removeWindowStyle(WS_BORDER));
    EXPECT_EQ(0u, GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_BORDER);

    EXPECT_FALSE(w.isVisible());
    w.setVisible(true);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(IsWindowVisible(hwnd));
    w.setVisible(false);
    EXPECT_FALSE(IsWindowVisible(hwnd));
}

TEST(WindowStyleTest, WindowTextKeepsWindows1252Bytes)
{
    ProbeWindow w;
    w.create();
    ASSERT_TRUE(w.setWindowText("Gerätenummer Übernehmen"));
    String text = w.getWindowText();
    EXPECT_STREQ("Ger\xe4tenummer \xdc" "bernehmen", text.getChars());
    ASSERT_TRUE(w.setWindowText(""));
    EXPECT_EQ(0u, w.getWindowText().length());
}

TEST(WindowStyleTest, SetParentRefusesNullAndReturnsThePrevious)
{
    ProbeWindow a, b, c;
    a.create();
    b.create();
    c.create();
    EXPECT_EQ(nullptr, c.setParent(&a));
    EXPECT_EQ(&a, c.getParent());
    EXPECT_EQ(a.getHwnd(), GetAncestor(c.getHwnd(), GA_PARENT));
    EXPECT_EQ(&a, c.setParent(&b));
    EXPECT_EQ(nullptr, c.setParent(nullptr));
    EXPECT_EQ(&b, c.getParent());
}
