// Window and Dialog against real windows; the dialogs are modeless, of the program's template 104.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "Boundary.h"
#include "Dialog.h"
#include "Exception.h"
#include "Win32Exception.h"
#include "resource.h"

namespace
{

// Every message of the dispatch table with the handler it must reach.
// clang-format off
#define DISPATCH_TABLE(X)                                                                          \
    X(WM_DESTROY, notifyDestroy) X(WM_CLOSE, notifyClose) X(WM_CREATE, notifyCreate)               \
    X(WM_LBUTTONUP, notifyLeftMouseButtonUp) X(WM_RBUTTONUP, notifyRightMouseButtonUp)             \
    X(WM_LBUTTONDOWN, notifyLeftMouseButtonDown) X(WM_RBUTTONDOWN, notifyRightMouseButtonDown)     \
    X(WM_NCRBUTTONUP, notifyNcRightMouseButtonUp) X(WM_PAINT, notifyPaint)                         \
    X(WM_ERASEBKGND, notifyEraseBackground) X(WM_SIZE, notifySize) X(WM_SIZING, notifySizing)      \
    X(WM_VSCROLL, notifyVScroll) X(WM_HSCROLL, notifyHScroll) X(WM_MOUSEMOVE, notifyMouseMove)     \
    X(WM_MOUSELEAVE, notifyMouseLeave) X(WM_TIMER, notifyTimer) X(WM_KEYUP, notifyKeyUp)           \
    X(WM_KEYDOWN, notifyKeyDown) X(WM_COMMAND, notifyCommand) X(WM_NCCALCSIZE, notifyNcCalcSize)   \
    X(WM_NCHITTEST, notifyNcHitTest) X(WM_CONTEXTMENU, notifyContextmenu) X(WM_USER, notifyUser)   \
    X(WM_MOUSEWHEEL, notifyMouseWheel) X(WM_SETFOCUS, notifySetFocus) X(WM_NOTIFY, notifyNotify)   \
    X(WM_SHOWWINDOW, notifyShowWindow) X(WM_ENABLE, notifyEnable)                                  \
    X(WM_WINDOWPOSCHANGING, notifyWindowPosChanging) X(WM_INITMENU, notifyInitMenu)                \
    X(WM_SYSCOMMAND, notifySysCommand) X(WM_MOVE, notifyMove) X(WM_MOVING, notifyMoving)           \
    X(WM_CTLCOLOREDIT, notifyCtlColorEdit) X(WM_CTLCOLORSTATIC, notifyCtlColorStatic)              \
    X(WM_LBUTTONDBLCLK, notifyLeftMouseDoubleClick) X(WM_CHAR, notifyChar)                         \
    X(WM_GETDLGCODE, notifyGetDlgCode) X(WM_SETCURSOR, notifySetCursor)                            \
    X(WM_HOTKEY, notifyHotKey) X(WM_NCPAINT, notifyNcPaint)                                        \
    X(WM_CAPTURECHANGED, notifyCaptureChanged)
// clang-format on

typedef std::vector<std::string> Calls;
Calls trace; // handlers and the default procedure, in the order they ran

std::string call(std::string const& what, WPARAM wParam, LPARAM lParam)
{
    return what + " " + std::to_string(wParam) + " " + std::to_string(lParam);
}

std::pair<int, int> xy(POINT p)
{
    return {p.x, p.y};
}

std::vector<std::string> reported; // what reached the boundary instead of a message box
void recordReport(char const* text)
{
    reported.push_back(text);
}

// Itanium ABI: a pointer to a virtual member holds 1 + its byte offset in the virtual table.
template <class Member>
std::ptrdiff_t slot(Member member)
{
    struct
    {
        std::uintptr_t ptr;
        std::ptrdiff_t adjust;
    } raw;
    static_assert(sizeof raw == sizeof member, "two words");
    std::memcpy(&raw, &member, sizeof raw);
    return static_cast<std::ptrdiff_t>((raw.ptr - 1) / sizeof(void*));
}

// Stands in for DefWindowProcA, which would take the test's made-up parameters for pointers.
LRESULT CALLBACK recordingDefault(HWND, UINT msg, WPARAM wParam, LPARAM lParam)
{
    trace.push_back(call(std::to_string(msg), wParam, lParam));
    return 0x1000;
}

// Logs every handler call before the base version runs.
class ProbeWindow : public Window
{
public:
    explicit ProbeWindow(int x = 100, int y = 50, int width = 200, int height = 100,
                         DWORD style = WS_POPUP)
    {
        static ATOM const atom = registerClass(0, GetModuleHandleA(nullptr), nullptr, nullptr,
                                               nullptr, nullptr, "MrtkWindowTestKlasse", nullptr);
        setMainInstance(GetModuleHandleA(nullptr));
        createWindowEx(0, MAKEINTATOM(atom), "Probe", style, x, y, width, height, nullptr, nullptr);
    }
    using Window::setDefaultProcedure;

    std::vector<UINT> seen;
    bool throwing = false;

protected:
    LRESULT wndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(msg);
        return Window::wndProc(msg, wParam, lParam);
    }
#define PROBE(msg, name)                                                                           \
    LRESULT name(WPARAM w, LPARAM l) override                                                      \
    {                                                                                              \
        if (throwing)                                                                              \
            throw Exception("Absicht");                                                            \
        trace.push_back(call(#name, w, l));                                                        \
        return Window::name(w, l);                                                                 \
    }
    DISPATCH_TABLE(PROBE)
#undef PROBE
};

class ProbeDialog : public Dialog
{
public:
    ProbeDialog(Window* parent, unsigned short id)
    {
        create(GetModuleHandleA(nullptr), parent, id, false);
    }
    using Dialog::mapBaseUnitsX;
    using Dialog::mapBaseUnitsY;

    Window* slotAtInit = nullptr;
    Calls path; // the handlers a command passed, in order

protected:
    INT_PTR notifyDlgInit(WPARAM, LPARAM) override
    {
        slotAtInit = getWndFromHwnd(getHwnd());
        return 1;
    }
    LRESULT notifyCommand(WPARAM wParam, LPARAM lParam) override
    {
        path.push_back(call("notifyCommand", wParam, lParam));
        return Dialog::notifyCommand(wParam, lParam);
    }
    INT_PTR notifyDlgCommand(WPARAM wParam, LPARAM lParam) override
    {
        path.push_back(call("notifyDlgCommand", wParam, lParam));
        return 1;
    }
};

}

TEST(WindowLifecycleTest, AttachesOnNcCreateAndKnowsWhenItIsDestroyed)
{
    // An overlapped window gets WM_GETMINMAXINFO before WM_NCCREATE, when there is no object yet.
    ProbeWindow w(100, 50, 200, 100, WS_OVERLAPPEDWINDOW);
    HWND hwnd = w.getHwnd();
    EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), w.seen.at(0));
    EXPECT_NE(0, w.destroyWindow());
    EXPECT_EQ(nullptr, w.getHwnd());
    EXPECT_FALSE(IsWindow(hwnd));
    ProbeWindow* owner = new ProbeWindow(); // its destructor destroys a live window
    hwnd = owner->getHwnd();
    delete owner;
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowDispatchTest, EachTableMessageReachesItsHandlerWhoseBaseForwardsIt)
{
#define ROW(msg, name) {msg, #name},
    static std::pair<UINT, char const*> const table[] = {DISPATCH_TABLE(ROW)};
#undef ROW
    ProbeWindow w;
    HWND hwnd = w.getHwnd();
    w.setDefaultProcedure(recordingDefault);
    for (auto const& row : table) {
        WPARAM wParam = 0x1200 + row.first;
        LPARAM lParam = 0x3400 + row.first;
        trace.clear();
        EXPECT_EQ(0x1000, SendMessageA(hwnd, row.first, wParam, lParam)) << row.second;
        EXPECT_EQ(Calls({call(row.second, wParam, lParam),
                         call(std::to_string(row.first), wParam, lParam)}),
                  trace);
    }
    // An exception from a handler stops at the window procedure and is reported.
    Boundary::Reporter previous = Boundary::setReporter(recordReport);
    reported.clear();
    w.throwing = true;
    EXPECT_EQ(0, SendMessageA(hwnd, WM_USER, 0, 0));
    w.throwing = false;
    Boundary::setReporter(previous);
    EXPECT_EQ(std::vector<std::string>({"Absicht"}), reported);
    w.setDefaultProcedure(DefWindowProcA);
    // The table's WM_DESTROY set the flag: the object now leaves the window alone.
    EXPECT_EQ(0, w.destroyWindow());
    EXPECT_TRUE(DestroyWindow(hwnd));
}

// Programs built on the exported library call the virtual operations through the table.
TEST(WindowDispatchTest, VirtualOperationsKeepTheirTableSlots)
{
    struct Open : Window
    {
        using Window::wndProc;
#define OPEN(msg, name) using Window::name;
        DISPATCH_TABLE(OPEN)
#undef OPEN
    };
    EXPECT_EQ(0, slot(&Open::wndProc));
    std::ptrdiff_t next = 1;
#define SLOT(msg, name) EXPECT_EQ(next++, slot(&Open::name)) << #name;
    DISPATCH_TABLE(SLOT)
#undef SLOT
    // The destructor takes two slots (complete and deleting), then come the 28 wrappers.
    EXPECT_EQ(next + 2, slot(&Window::showWindow));
    EXPECT_EQ(next + 2 + 27, slot(&Window::bringWindowToTop));
}

TEST(WindowGeometryTest, RelativePointClientPosCenterAndRemoveWindowStyle)
{
    ProbeWindow parent(40, 30, 400, 300), child(100, 50, 101, 51);
    HWND hwnd = child.getHwnd();
    EXPECT_EQ(std::make_pair(200, 150), xy(child.makeRelativePoint(MAKELPARAM(300, 200))));
    // The halves are unsigned: 0xFFFF is 65535, not -1.
    EXPECT_EQ(std::make_pair(65535 - 100, 65535 - 50),
              xy(child.makeRelativePoint(MAKELPARAM(0xFFFF, 0xFFFF))));
    Window wrapped(hwnd, &parent);
    EXPECT_EQ(std::make_pair(100 - 40, 50 - 30), xy(wrapped.getClientPos()));
    std::pair<int, int> screen((GetSystemMetrics(SM_CXSCREEN) - 101) / 2,
                               (GetSystemMetrics(SM_CYSCREEN) - 51) / 2);
    child.center(); // no parent object: on the screen
    EXPECT_EQ(screen, xy(child.getClientPos()));
    wrapped.center();
    EXPECT_EQ(std::make_pair(40 + 149, 30 + 124), xy(child.getClientPos()));
    wrapped.center(true);
    EXPECT_EQ(screen, xy(child.getClientPos()));
    SetWindowLongPtrA(hwnd, GWL_STYLE, GetWindowLongPtrA(hwnd, GWL_STYLE) | WS_BORDER);
    unsigned long before = static_cast<unsigned long>(GetWindowLongPtrA(hwnd, GWL_STYLE));
    EXPECT_EQ(before & ~WS_BORDER, child.removeWindowStyle(WS_BORDER | WS_HSCROLL));
    EXPECT_EQ(before & ~WS_BORDER, static_cast<unsigned long>(GetWindowLongPtrA(hwnd, GWL_STYLE)));
    // Without a window there is no rectangle to use: the helpers say so instead of using zeros.
    Window none;
    EXPECT_THROW(none.getWindowSize(), Win32Exception);
}

TEST(DialogRegistryTest, ListedFromCreateToDeleteAndAskedInOrder)
{
    MSG none = {};
    EXPECT_EQ(0, Dialog::isAnyDialogMessage(&none));
    ProbeWindow host;
    // Without a parent the object is listed but has no window.
    ProbeDialog* lone = new ProbeDialog(nullptr, IDD_MAIN_DIALOG);
    ProbeDialog* a = new ProbeDialog(&host, IDD_MAIN_DIALOG);
    ProbeDialog* b = new ProbeDialog(&host, IDD_MAIN_DIALOG);
    EXPECT_EQ(nullptr, lone->getHwnd());
    ASSERT_EQ(3u, Dialog::listDlg.size());
    // A Tab key in the last dialog: the ones before it pass, that one takes it.
    MSG tab = {b->getDlgItem(IDC_REFRESH), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_EQ(1, Dialog::isAnyDialogMessage(&tab));
    tab.hwnd = host.getHwnd(); // outside every dialog: left to the loop
    EXPECT_EQ(0, Dialog::isAnyDialogMessage(&tab));
    HWND aHwnd = a->getHwnd();
    delete a; // a modeless dialog destroys its window
    EXPECT_FALSE(IsWindow(aHwnd));
    // Closed by the user first: a second DestroyWindow on the dead handle would set the error.
    ASSERT_TRUE(DestroyWindow(b->getHwnd()));
    SetLastError(0xdeadbeef);
    delete b;
    EXPECT_EQ(0xdeadbeefu, GetLastError());
    delete lone;
    EXPECT_EQ(0u, Dialog::listDlg.size());
}

TEST(DialogMessageTest, AttachedAtInitAndCommandsPassNotifyCommandThenNotifyDlgCommand)
{
    ProbeWindow host;
    ProbeDialog d(&host, IDD_MAIN_DIALOG);
    EXPECT_EQ(&d, d.slotAtInit);
    d.path.clear(); // the controls' own notifications at creation
    SendMessageA(d.getHwnd(), WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED), 68);
    EXPECT_EQ(Calls({"notifyCommand 1003 68", "notifyDlgCommand 1003 68"}), d.path);
}

TEST(DialogControlTest, ItemTextTabsAndBaseUnits)
{
    ProbeWindow host;
    ProbeDialog d(&host, IDD_MAIN_DIALOG);
    // The buffer is sized by the text: all of a long text comes back.
    std::string const longText(300, 'x');
    ASSERT_TRUE(d.setDlgItemText(IDC_STATUS, longText.c_str()));
    EXPECT_EQ(longText, d.getDlgItemText(IDC_STATUS).getChars());
    char texts[][8] = {"Info", "Update", "Daten"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(i, d.tabCtrlInsertItem(IDC_TABS, texts[i])); // appended
    LONG units = GetDialogBaseUnits();
    // Wine's system font has a horizontal base unit of 7: -3 units are -5.25 pixels, truncated -5.
    ASSERT_NE(0, LOWORD(units) % 4) << "no mapping would truncate, so truncation goes untested";
    EXPECT_EQ(-(LOWORD(units) * 3 / 4), d.mapBaseUnitsX(-3));
    EXPECT_EQ(LOWORD(units) * 305 / 4, d.mapBaseUnitsX(305)); // not 305 / 4 * unit
    EXPECT_EQ(HIWORD(units) * 305 / 8, d.mapBaseUnitsY(305));
}
