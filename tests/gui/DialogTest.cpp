#include <gtest/gtest.h>

#include <vector>

#include "Dialog.h"
#include <commctrl.h>
#include "Exception.h"
#include "GuiTestResource.h"

namespace {

char const hostClass[] = "MrtkDialogTestHostKlasse";

// A plain top-level window to own the dialogs.
class Host : public Window
{
public:
    Host()
    {
        static ATOM atom = registerClass(0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr,
                                         nullptr, hostClass, nullptr);
        createWindowEx(0, hostClass, "Host", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr);
        (void)atom;
    }
};

struct Seen
{
    WPARAM wParam;
    LPARAM lParam;
};

class ProbeDialog : public Dialog
{
public:
    ProbeDialog(Window* parent, unsigned short id, bool modal, bool overrideCommand = false,
                bool throwOnCommand = false)
        : overrideCommand(overrideCommand), throwOnCommand(throwOnCommand)
    {
        create(GetModuleHandleA(nullptr), parent, id, modal);
    }
    using Dialog::isDestroyed;
    using Dialog::mapBaseUnitsX;
    using Dialog::mapBaseUnitsY;

    HWND hwndAtInit = nullptr;
    Window* slotAtInit = nullptr;
    bool overrideCommand;
    bool throwOnCommand;
    std::vector<Seen> windowCommands;
    std::vector<Seen> dlgCommands;
    std::vector<UINT> windowTimers;

protected:
    INT_PTR notifyDlgInit(WPARAM, LPARAM) override
    {
        hwndAtInit = getHwnd();
        slotAtInit = getWndFromHwnd(getHwnd());
        if (isModal())
            PostMessageA(getHwnd(), WM_COMMAND, IDOK, 0);
        return 1;
    }
    LRESULT notifyCommand(WPARAM wParam, LPARAM lParam) override
    {
        windowCommands.push_back({wParam, lParam});
        if (overrideCommand)
            return 0;
        return Dialog::notifyCommand(wParam, lParam);
    }
    INT_PTR notifyDlgCommand(WPARAM wParam, LPARAM lParam) override
    {
        dlgCommands.push_back({wParam, lParam});
        if (throwOnCommand)
            throw Exception("Absicht");
        if (isModal() && LOWORD(wParam) == IDOK)
            endDialog(7);
        return 1;
    }
    LRESULT notifyTimer(WPARAM wParam, LPARAM lParam) override
    {
        windowTimers.push_back(static_cast<UINT>(wParam));
        return Dialog::notifyTimer(wParam, lParam);
    }
};

bool registered(Dialog* d)
{
    for (unsigned int i = 0; i < Dialog::listDlg.size(); ++i)
        if (Dialog::listDlg.elementAt(i) == d)
            return true;
    return false;
}

}

TEST(DialogRegistryTest, EmptyListAndNullParent)
{
    ASSERT_EQ(0u, Dialog::listDlg.size());
    MSG msg = {};
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_TAB;
    EXPECT_EQ(0, Dialog::isAnyDialogMessage(&msg));

    ProbeDialog* d = new ProbeDialog(nullptr, IDD_TEST_CHILD, false);
    EXPECT_EQ(nullptr, d->getHwnd());
    EXPECT_EQ(nullptr, d->hwndAtInit);
    EXPECT_TRUE(registered(d));
    EXPECT_EQ(0, d->isDialogMessage(&msg));
    EXPECT_EQ(0, Dialog::isAnyDialogMessage(&msg));
    delete d;
    EXPECT_EQ(0u, Dialog::listDlg.size());
}

TEST(DialogRegistryTest, DialogsStandInRegistrationOrderAndLeaveOnDelete)
{
    Host host;
    ProbeDialog* a = new ProbeDialog(&host, IDD_TEST_CHILD, false);
    ProbeDialog* b = new ProbeDialog(&host, IDD_TEST_CHILD, false);
    ASSERT_EQ(2u, Dialog::listDlg.size());
    EXPECT_EQ(a, Dialog::listDlg.elementAt(0));
    EXPECT_EQ(b, Dialog::listDlg.elementAt(1));

    // A Tab key for the edit of the second dialog is consumed by that dialog.
    HWND edit = b->getDlgItem(IDC_TEST_EDIT);
    ASSERT_NE(nullptr, edit);
    MSG msg = {edit, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_EQ(1, Dialog::isAnyDialogMessage(&msg));
    EXPECT_EQ(0, a->isDialogMessage(&msg));
    // A message for a window outside every dialog is left to the loop.
    MSG other = {host.getHwnd(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_EQ(0, Dialog::isAnyDialogMessage(&other));

    HWND aHwnd = a->getHwnd();
    delete a;
    EXPECT_FALSE(IsWindow(aHwnd));
    ASSERT_EQ(1u, Dialog::listDlg.size());
    EXPECT_EQ(b, Dialog::listDlg.elementAt(0));
    delete b;
    EXPECT_EQ(0u, Dialog::listDlg.size());
}

TEST(DialogMessageTest, AttachedBeforeInitAndCommandPassesBothHandlers)
{
    Host host;
    ProbeDialog d(&host, IDD_TEST_CHILD, false);
    ASSERT_NE(nullptr, d.getHwnd());
    EXPECT_EQ(d.getHwnd(), d.hwndAtInit);
    EXPECT_EQ(&d, d.slotAtInit);
    EXPECT_EQ(GetModuleHandleA(nullptr), d.getInstanz());
    EXPECT_EQ(&host, d.getParent());
    EXPECT_EQ(host.getHwnd(), GetAncestor(d.getHwnd(), GA_PARENT));

    // The edit reports its focus with a command of its own while the dialog starts.
    d.windowCommands.clear();
    d.dlgCommands.clear();
    SendMessageA(d.getHwnd(), WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED), 0x44);
    ASSERT_EQ(1u, d.windowCommands.size());
    ASSERT_EQ(1u, d.dlgCommands.size());
    EXPECT_EQ(MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED), d.dlgCommands[0].wParam);
    EXPECT_EQ(0x44, d.dlgCommands[0].lParam);

    // A real click of the button takes the same path (after the edit's EN_KILLFOCUS).
    SendMessageA(d.getDlgItem(IDC_TEST_BUTTON), BM_CLICK, 0, 0);
    ASSERT_LE(2u, d.dlgCommands.size());
    EXPECT_EQ(MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED), d.dlgCommands.back().wParam);

    // Messages of the window table reach the Window handlers of a dialog too.
    SendMessageA(d.getHwnd(), WM_TIMER, 17, 0);
    ASSERT_EQ(1u, d.windowTimers.size());
    EXPECT_EQ(17u, d.windowTimers[0]);
}

TEST(DialogMessageTest, OverriddenNotifyCommandHidesTheDialogHandler)
{
    Host host;
    ProbeDialog d(&host, IDD_TEST_CHILD, false, true);
    d.windowCommands.clear();
    d.dlgCommands.clear();
    SendMessageA(d.getHwnd(), WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED), 0);
    EXPECT_EQ(1u, d.windowCommands.size());
    EXPECT_TRUE(d.dlgCommands.empty());
}

TEST(DialogMessageTest, ExceptionFromADialogHandlerStopsAtTheDialogProcedure)
{
    Host host;
    ProbeDialog d(&host, IDD_TEST_CHILD, false, false, true);
    d.dlgCommands.clear();
    SendMessageA(d.getHwnd(), WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED), 0);
    EXPECT_EQ(1u, d.dlgCommands.size());
    EXPECT_TRUE(IsWindow(d.getHwnd()));
}

TEST(DialogLifecycleTest, ModalDialogReturnsWhenEndedAndStaysRegistered)
{
    Host host;
    ProbeDialog* d = new ProbeDialog(&host, IDD_TEST_MODAL, true);
    // The constructor came back: the dialog was ended by its own OK command.
    EXPECT_NE(nullptr, d->hwndAtInit);
    EXPECT_FALSE(IsWindow(d->hwndAtInit));
    EXPECT_TRUE(d->isDestroyed());
    EXPECT_EQ(1u, d->dlgCommands.size());
    EXPECT_TRUE(registered(d));
    MSG msg = {d->hwndAtInit, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_EQ(0, d->isDialogMessage(&msg));
    delete d;
    EXPECT_FALSE(registered(d));
}

TEST(DialogLifecycleTest, WindowClosedFirstIsNotDestroyedTwice)
{
    Host host;
    ProbeDialog* d = new ProbeDialog(&host, IDD_TEST_CHILD, false);
    HWND hwnd = d->getHwnd();
    ASSERT_TRUE(DestroyWindow(hwnd));
    EXPECT_TRUE(d->isDestroyed());
    // A new window may now reuse nothing of the old one; deleting must not touch it.
    ProbeDialog survivor(&host, IDD_TEST_CHILD, false);
    delete d;
    EXPECT_TRUE(IsWindow(survivor.getHwnd()));
    EXPECT_FALSE(registered(d));
}

TEST(DialogControlTest, ItemHelpers)
{
    Host host;
    ProbeDialog d(&host, IDD_TEST_CHILD, false);
    EXPECT_EQ(0, d.enableDlgItem(4711, FALSE));
    HWND button = d.getDlgItem(IDC_TEST_BUTTON);
    EXPECT_EQ(0, d.enableDlgItem(IDC_TEST_BUTTON, FALSE));  // it was enabled
    EXPECT_FALSE(IsWindowEnabled(button));
    EXPECT_NE(0, d.enableDlgItem(IDC_TEST_BUTTON, TRUE));   // it was disabled
    EXPECT_TRUE(IsWindowEnabled(button));

    ASSERT_TRUE(d.setDlgItemText(IDC_TEST_EDIT, "Gerät"));
    EXPECT_STREQ("Ger\xe4t", d.getDlgItemText(IDC_TEST_EDIT).getChars());
    ASSERT_TRUE(d.setDlgItemText(IDC_TEST_EDIT, ""));
    EXPECT_EQ(0u, d.getDlgItemText(IDC_TEST_EDIT).length());

}

TEST(DialogControlTest, TabItemsAreAppended)
{
    Host host;
    ProbeDialog d(&host, IDD_TEST_CHILD, false);
    char texts[][16] = {"Info", "Update", "Terminal", "Gerätenummer"};
    EXPECT_EQ(0, d.tabCtrlGetItemCount(IDC_TEST_TABS));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(i, d.tabCtrlInsertItem(IDC_TEST_TABS, texts[i]));
    EXPECT_EQ(3, d.tabCtrlInsertItem(IDC_TEST_TABS, texts[3]));
    EXPECT_EQ(4, d.tabCtrlGetItemCount(IDC_TEST_TABS));

    char buffer[32] = "";
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = sizeof(buffer);
    ASSERT_TRUE(d.sendDlgItemMessage(IDC_TEST_TABS, TCM_GETITEMA, 3,
                                     reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ("Ger\xe4tenummer", buffer);
}

TEST(DialogControlTest, BaseUnitsTruncateTowardZero)
{
    Host host;
    ProbeDialog d(&host, IDD_TEST_CHILD, false);
    LONG units = GetDialogBaseUnits();
    int ux = LOWORD(units), uy = HIWORD(units);
    for (int v : {1, 2, 3, 5, 7, 305}) {
        EXPECT_EQ((ux * v) / 4, d.mapBaseUnitsX(v)) << v;
        // Truncation toward zero makes the mapping odd-symmetric; floor would not be.
        EXPECT_EQ(-((ux * v) / 4), d.mapBaseUnitsX(-v)) << v;
        EXPECT_EQ((uy * v) / 8, d.mapBaseUnitsY(v)) << v;
        EXPECT_EQ(-((uy * v) / 8), d.mapBaseUnitsY(-v)) << v;
    }
}
