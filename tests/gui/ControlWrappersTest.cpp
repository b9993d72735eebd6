// ScrollPane, Menue, the property sheet, WndComboBox and WndToolTip on real windows. Results of
// messages the wrappers only pass on are left to the gallery's tests.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <thread>

#include "WineWait.h"
#include "gui/Menue.h"
#include "gui/PropertySheetA.h"
#include "gui/PropertySheetPage.h"
#include "gui/ScrollPane.h"
#include "gui/WndComboBox.h"
#include "gui/WndToolTip.h"
#include "resource.h"

namespace
{

struct Plain : virtual Window
{
    Plain(DWORD style, int width, int height, HWND parent)
    {
        static ATOM const atom = registerClass(0, GetModuleHandleA(nullptr), nullptr, nullptr,
                                               nullptr, nullptr, "MrtkWrapperTestKlasse", nullptr);
        setMainInstance(GetModuleHandleA(nullptr));
        createWindowEx(0, MAKEINTATOM(atom), "", style, 0, 0, width, height, parent, nullptr);
    }
};

struct Pane : ScrollPane, Plain
{
    Pane() : Plain(WS_POPUP | WS_VISIBLE, 200, 100, nullptr) {}
};

bool shown(HWND w, DWORD bar)
{
    return (GetWindowLongA(w, GWL_STYLE) & bar) != 0;
}

} // namespace

TEST(ScrollPaneTest, BarsFollowSizesAndEveryRequestMovesTheClient)
{
    Pane pane;
    Plain client(WS_CHILD | WS_VISIBLE, 500, 300, pane.getHwnd());
    pane.setClient(&client);
    HWND p = pane.getHwnd();
    ASSERT_TRUE(shown(p, WS_HSCROLL) && shown(p, WS_VSCROLL));
    RECT visible;
    GetClientRect(p, &visible);
    int lastY = 300 - visible.bottom, lastX = 500 - visible.right;
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(p, SB_VERT, &info));
    EXPECT_EQ(299, info.nMax);
    EXPECT_EQ(static_cast<UINT>(visible.bottom), info.nPage);

    struct Row
    {
        UINT msg;
        int request, thumb, from, to;
    } const rows[] = {
        {WM_VSCROLL, SB_LINEUP, 0, 0, 0},
        {WM_VSCROLL, SB_LINEDOWN, 0, lastY, lastY},
        {WM_VSCROLL, SB_PAGEUP, 0, 5, 0},
        {WM_VSCROLL, SB_PAGEDOWN, 0, lastY - 3, lastY},
        {WM_VSCROLL, SB_THUMBTRACK, 42, 0, 42},
        {WM_VSCROLL, SB_ENDSCROLL, 0, 7, 7},
        {WM_HSCROLL, SB_PAGEDOWN, 0, 0, visible.right},
        {WM_HSCROLL, SB_THUMBPOSITION, 90, 3, 90},
        {WM_HSCROLL, SB_LINERIGHT, 0, lastX, lastX},
    };
    for (Row const& r : rows) {
        bool vertical = r.msg == WM_VSCROLL;
        pane.setClientPos(vertical ? 0 : r.from, vertical ? r.from : 0);
        SendMessageA(p, r.msg, MAKEWPARAM(r.request, r.thumb), 0);
        POINT offset = pane.getClientPos(), at = client.getClientPos();
        int got = vertical ? offset.y : offset.x;
        SCOPED_TRACE(testing::Message() << r.msg << " " << r.request << " from " << r.from);
        EXPECT_EQ(r.to, got);
        EXPECT_EQ(-got, vertical ? at.y : at.x);
        EXPECT_EQ(r.to, GetScrollPos(p, vertical ? SB_VERT : SB_HORZ));
        EXPECT_EQ(r.to != r.from, pane.isScrolled()); // the still rows after moves show the reset
    }

    // Growing the pane pulls the offset back so no empty strip shows; larger than the client,
    // the bars go and the offsets return to 0.
    pane.setClientPos(lastX, lastY);
    pane.setWindowSize(200, 150, TRUE);
    GetClientRect(p, &visible);
    EXPECT_EQ(300 - visible.bottom, pane.getClientPos().y);
    pane.setWindowSize(600, 400, TRUE);
    EXPECT_FALSE(shown(p, WS_HSCROLL) || shown(p, WS_VSCROLL));
    EXPECT_EQ(0, pane.getClientPos().x + pane.getClientPos().y);
    EXPECT_EQ(0, client.getClientPos().x + client.getClientPos().y);
}

TEST(MenueTest, SystemMenuIsRestoredAndItemsPassThrough)
{
    Plain w(WS_OVERLAPPEDWINDOW, 200, 100, nullptr);
    int standard = GetMenuItemCount(GetSystemMenu(w.getHwnd(), FALSE));
    {
        Menue system(&w, true);
        EXPECT_TRUE(system.appendMenu(MF_STRING, 0x7770, "Extra"));
        EXPECT_EQ(standard + 1, system.getMenuItemCount());
    }
    EXPECT_EQ(standard, GetMenuItemCount(GetSystemMenu(w.getHwnd(), FALSE)));

    // Appending and the popup's use are shown in the gallery's tests.
    Menue popup(true), sub(true);
    EXPECT_TRUE(popup.insertMenu(0, MF_BYPOSITION | MF_POPUP, &sub, "Mehr"));
    EXPECT_TRUE(popup.removeMenu(0, MF_BYPOSITION)); // the sub menu stays sub's own
}

namespace
{

int pagesAlive = 0;
struct Page : PropertySheetPage
{
    Page(unsigned short id, char const* title)
    {
        ++pagesAlive;
        create(GetModuleHandleA(nullptr), id, title);
    }
    ~Page() { --pagesAlive; }
    INT_PTR notifyDlgCommand(WPARAM wParam, LPARAM) override
    {
        if (LOWORD(wParam) == 0x7001)
            setChanged();
        return 1;
    }
};

struct Sheet : PropertySheetA
{
    explicit Sheet(Window* parent) : PropertySheetA(parent)
    {
        addPage(first = new Page(IDD_INFO_PAGE, "Eins"));
        addPage(new Page(IDD_UPDATE_PAGE, "Zwei"));
    }
    INT_PTR run() { return create("Blatt"); }
    void notifyPsCreate(UINT msg, LPARAM lParam) override
    {
        // Ask for the help button, which the sheet must take away again. The extended style
        // follows the style, or in an extended template dlgVer, signature and helpID.
        WORD* words = reinterpret_cast<WORD*>(lParam);
        if (msg == PSCB_PRECREATE)
            *reinterpret_cast<DWORD*>(words + (words[1] == 0xFFFF ? 4 : 2)) |= WS_EX_CONTEXTHELP;
        if (msg == PSCB_INITIALIZED)
            shown = getHwnd();
    }
    Page* first;
    std::atomic<HWND> shown{nullptr};
};

} // namespace

TEST(PropertySheetTest, ChangedPageIsClearedByApplyOrReset)
{
    Plain owner(WS_POPUP | WS_VISIBLE, 300, 200, nullptr);
    Sheet* sheet = new Sheet(&owner);
    bool appliedClears = false, changed = false, attached = false;
    std::thread driver([&] {
        if (!waitUntil([&] { return sheet->shown != nullptr; }, 20000))
            return;
        HWND s = sheet->shown;
        HWND page = reinterpret_cast<HWND>(SendMessageA(s, PSM_GETCURRENTPAGEHWND, 0, 0));
        attached = Window::getWndFromHwnd(s) == static_cast<Window*>(sheet) &&
            (GetWindowLongA(s, GWL_EXSTYLE) & WS_EX_CONTEXTHELP) == 0 &&
            Dialog::listDlg.find(static_cast<Dialog*>(sheet)) && page == sheet->first->getHwnd();
        SendMessageA(page, WM_COMMAND, 0x7001, 0);
        changed = sheet->first->isChanged();
        SendMessageA(s, PSM_APPLY, 0, 0);
        appliedClears = !sheet->first->isChanged();
        SendMessageA(page, WM_COMMAND, 0x7001, 0);
        // Posted, as a user's click comes: the sheet's loop checks whether it has ended only
        // when a posted message wakes it, which a sent cancel alone does not do.
        PostMessageA(GetDlgItem(s, IDCANCEL), BM_CLICK, 0, 0);
    });
    sheet->run();
    driver.join();
    EXPECT_TRUE(attached);
    EXPECT_TRUE(changed);
    EXPECT_TRUE(appliedClears);
    EXPECT_FALSE(sheet->first->isChanged()); // reset by Cancel
    EXPECT_EQ(2, pagesAlive);
    delete sheet;
    EXPECT_EQ(0, pagesAlive);
    EXPECT_FALSE(Dialog::listDlg.find(static_cast<Dialog*>(sheet)));
}

TEST(ControlWrapperTest, ComboBoxAndToolTipPassResultsThrough)
{
    Plain host(WS_POPUP | WS_VISIBLE, 300, 200, nullptr);
    HWND c, t;
    {
        WndComboBox combo(&host, 4711, 10, 10, 150, 200, 21);
        c = combo.getHwnd();
        EXPECT_EQ(0, combo.insertString("Zwei"));
        EXPECT_EQ(1, combo.insertString("Eins")); // appended, not sorted in

        WndToolTip tip(&host);
        t = tip.getHwnd();
        EXPECT_TRUE(tip.addTool(&combo, "Auswahl"));
        tip.updateText(&combo, "Gewählt"); // TTM_UPDATETIPTEXT has no result
        char text[80] = "";
        TTTOOLINFOA info = {};
        info.cbSize = TTTOOLINFOA_V2_SIZE;
        info.hwnd = host.getHwnd();
        info.uId = reinterpret_cast<UINT_PTR>(c);
        info.lpszText = text;
        SendMessageA(t, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
        EXPECT_STREQ("Gewählt", text);
    }
    EXPECT_FALSE(IsWindow(c) || IsWindow(t));
}
