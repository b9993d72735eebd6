// The main dialog in this process, with recording pages instead of the real ones: the order in
// which pages are destroyed and created, where they are placed, and what survives an empty list.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Dialog.h"
#include "MainDialog.h"
#include "PageFactory.h"
#include "ProgramSettings.h"
#include "SimClient.h"
#include "resource.h"

namespace {

std::vector<std::string> events;

class RecordingPage : public Dialog
{
public:
    RecordingPage(int kind, Window* parent, unsigned char number) : kind(kind)
    {
        events.push_back("create " + std::to_string(kind) + " " + std::to_string(number));
        create(GetModuleHandleA(nullptr), parent, IDD_INFO_PAGE, false);
    }
    ~RecordingPage() override { events.push_back("destroy " + std::to_string(kind)); }

private:
    int kind;
};

class Host : public Window
{
public:
    Host()
    {
        static ATOM atom = registerClass(0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr,
                                         nullptr, "MrtkMainDialogTestKlasse", nullptr);
        (void)atom;
        createWindowEx(0, "MrtkMainDialogTestKlasse", "Host", WS_POPUP | WS_VISIBLE, 0, 0, 700,
                       500, nullptr, nullptr);
    }
};

class MainDialogPagesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Window::setMainInstance(GetModuleHandleA(nullptr));
        ProgramSettings::serviceMode = true;
        events.clear();
        try {
            SimClient::resetAll();
            SimClient::vlxAdd(1);
            SimClient::vlxAdd(3);
        } catch (std::exception& e) {
            FAIL() << "the simulated drivers do not answer: " << e.what();
        }
    }
    void TearDown() override
    {
        ProgramSettings::serviceMode = false;
        try {
            SimClient::resetAll();
        } catch (std::exception&) {
        }
    }

    HWND item(MainDialog& d, int id) { return GetDlgItem(d.getHwnd(), id); }

    void clickTab(MainDialog& d, int index)
    {
        HWND tabs = item(d, IDC_TABS);
        RECT r;
        ASSERT_TRUE(SendMessageA(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)));
        LPARAM point = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageA(tabs, WM_LBUTTONUP, 0, point);
        ASSERT_EQ(index, SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
    }

    void refresh(MainDialog& d)
    {
        SendMessageA(d.getHwnd(), WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED),
                     reinterpret_cast<LPARAM>(item(d, IDC_REFRESH)));
    }

    HWND visiblePage(MainDialog& d)
    {
        HWND tabs = item(d, IDC_TABS);
        HWND found = nullptr;
        for (HWND p = FindWindowExA(tabs, nullptr, "#32770", nullptr); p != nullptr;
             p = FindWindowExA(tabs, p, "#32770", nullptr))
            if (IsWindowVisible(p))
                found = p;
        return found;
    }

    Host host;
};

typedef std::vector<std::string> Events;

}

Dialog* createPage(int kind, Window* parent, unsigned char deviceNumber)
{
    if (kind < PAGE_INFO || kind > PAGE_VLX_TEST)
        return nullptr;
    return new RecordingPage(kind, parent, deviceNumber);
}

TEST_F(MainDialogPagesTest, OldPageGoesBeforeTheNewOneComes)
{
    MainDialog* d = new MainDialog(&host);
    EXPECT_EQ(Events({"create 1 1"}), events);
    events.clear();

    clickTab(*d, 4);
    clickTab(*d, 2);
    EXPECT_EQ(Events({"destroy 1", "create 5 1", "destroy 5", "create 3 1"}), events);
    events.clear();

    // Another number: back to Info, for that number.
    HWND list = item(*d, IDC_DEVICE_LIST);
    SendMessageA(list, CB_SETCURSEL, 1, 0);
    SendMessageA(d->getHwnd(), WM_COMMAND, MAKEWPARAM(IDC_DEVICE_LIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(Events({"destroy 3", "create 1 3"}), events);
    EXPECT_EQ(0, SendMessageA(item(*d, IDC_TABS), TCM_GETCURSEL, 0, 0));
    events.clear();

    delete d;
    EXPECT_EQ(Events({"destroy 1"}), events);
}

TEST_F(MainDialogPagesTest, PageSitsInTheTabAreaAndIsShown)
{
    MainDialog d(&host);
    HWND page = visiblePage(d);
    ASSERT_NE(nullptr, page);
    RECT area;
    ASSERT_TRUE(GetClientRect(d.getHwnd(), &area));
    SendMessageA(item(d, IDC_TABS), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    RECT pageRect, tabsRect;
    ASSERT_TRUE(GetWindowRect(page, &pageRect));
    ASSERT_TRUE(GetWindowRect(item(d, IDC_TABS), &tabsRect));
    EXPECT_EQ(area.left, pageRect.left - tabsRect.left);
    EXPECT_EQ(area.top, pageRect.top - tabsRect.top);
    // The page keeps its own size.
    RECT templateRect = {0, 0, 285, 131};
    MapDialogRect(page, &templateRect);
    EXPECT_EQ(templateRect.right, pageRect.right - pageRect.left);
}

TEST_F(MainDialogPagesTest, EmptyListKeepsTheLastPageHiddenUntilTheNextChoice)
{
    MainDialog d(&host);
    clickTab(d, 3);
    HWND page = visiblePage(d);
    ASSERT_NE(nullptr, page);
    events.clear();

    SimClient::vlxRemove(1);
    SimClient::vlxRemove(3);
    refresh(d);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(IsWindow(page));
    EXPECT_FALSE(IsWindowVisible(item(d, IDC_TABS)));
    EXPECT_FALSE(IsWindowVisible(page));
    char status[64] = "";
    GetDlgItemTextA(d.getHwnd(), IDC_STATUS, status, sizeof(status));
    EXPECT_STREQ("Kein Gerät angeschlossen.", status);
    // Refreshing again with nothing found changes nothing.
    refresh(d);
    EXPECT_TRUE(events.empty());

    SimClient::vlxAdd(9);
    refresh(d);
    EXPECT_EQ(Events({"destroy 4", "create 1 9"}), events);
    EXPECT_FALSE(IsWindow(page));
    EXPECT_TRUE(IsWindowVisible(item(d, IDC_TABS)));
    GetDlgItemTextA(d.getHwnd(), IDC_STATUS, status, sizeof(status));
    EXPECT_STREQ("", status);
}

TEST_F(MainDialogPagesTest, TabsAreBuiltOnceWithTheirKinds)
{
    MainDialog d(&host);
    HWND tabs = item(d, IDC_TABS);
    ASSERT_EQ(5, SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < 5; ++i) {
        TCITEMA tab = {};
        tab.mask = TCIF_PARAM;
        ASSERT_TRUE(SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&tab)));
        EXPECT_EQ(i + 1, tab.lParam);
    }
    refresh(d);
    EXPECT_EQ(5, SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
}
