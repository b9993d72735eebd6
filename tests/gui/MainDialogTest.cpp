// The main dialog in this process, with recording pages instead of the real ones: the tab sets,
// the order in which pages are destroyed and created, and where they are placed.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "MainDialog.h"
#include "PageFactory.h"
#include "PageHost.h"
#include "ProgramSettings.h"
#include "SimClient.h"
#include "resource.h"

namespace
{

typedef std::vector<std::string> Events;
Events events;

class RecordingPage : public Dialog
{
public:
    RecordingPage(int kind, Window* parent, unsigned char number) : kind(kind)
    {
        events.push_back("create " + std::to_string(kind) + " " + std::to_string(number));
        create(GetModuleHandleA(nullptr), parent, IDD_INFO_PAGE, false);
    }
    ~RecordingPage() override { events.push_back("destroy " + std::to_string(kind)); }
    int const kind;
};

class MainDialogPagesTest : public ::testing::Test
{
protected:
    void SetUp() override { SimClient::resetAll(); }
    void TearDown() override
    {
        dialog.reset();
        ProgramSettings::serviceMode = false;
        SimClient::resetAll();
    }
    // Makes the dialog with these command stations present; in service mode with devices 1 and
    // 3 it has all five tabs, kind = index + 1.
    void start(std::vector<unsigned> const& devices = {1, 3}, bool service = true)
    {
        ProgramSettings::serviceMode = service;
        for (unsigned n : devices)
            SimClient::vlxAdd(n);
        events.clear();
        dialog.reset(new MainDialog(&host.window));
    }

    HWND item(int id) { return GetDlgItem(dialog->getHwnd(), id); }
    void send(int id, int code)
    {
        SendMessageA(dialog->getHwnd(), WM_COMMAND, MAKEWPARAM(id, code), LPARAM(item(id)));
    }
    // Selects a tab as a click does: with TCN_SELCHANGING and TCN_SELCHANGE.
    void pickTab(int index) { SendMessageA(item(IDC_TABS), TCM_SETCURFOCUS, index, 0); }
    // Whether the tabs show, and the status line.
    std::string tabsAndStatus()
    {
        char status[64] = "";
        GetDlgItemTextA(dialog->getHwnd(), IDC_STATUS, status, sizeof status);
        return (IsWindowVisible(item(IDC_TABS)) ? "tabs, " : "no tabs, ") + std::string(status);
    }
    Events tabTexts()
    {
        Events texts;
        for (int i = 0; i < SendMessageA(item(IDC_TABS), TCM_GETITEMCOUNT, 0, 0); ++i) {
            char text[32] = "";
            TCITEMA tab = {};
            tab.mask = TCIF_TEXT;
            tab.pszText = text;
            tab.cchTextMax = sizeof text;
            SendMessageA(item(IDC_TABS), TCM_GETITEMA, i, LPARAM(&tab));
            texts.push_back(text);
        }
        return texts;
    }

    PageHost host;
    std::unique_ptr<MainDialog> dialog;
};

}

Dialog* createPage(int kind, Window* parent, unsigned char deviceNumber)
{
    return new RecordingPage(kind, parent, deviceNumber);
}

TEST_F(MainDialogPagesTest, PageSitsInTheTabAreaInItsOwnSize)
{
    start();
    HWND page = FindWindowExA(item(IDC_TABS), nullptr, "#32770", nullptr);
    ASSERT_NE(nullptr, page);
    RECT area, placed, own = {0, 0, 285, 131}; // template 102
    ASSERT_TRUE(GetClientRect(dialog->getHwnd(), &area));
    SendMessageA(item(IDC_TABS), TCM_ADJUSTRECT, FALSE, LPARAM(&area));
    ASSERT_TRUE(GetWindowRect(page, &placed));
    MapWindowPoints(nullptr, item(IDC_TABS), reinterpret_cast<POINT*>(&placed), 2);
    MapDialogRect(page, &own);
    EXPECT_EQ(std::make_pair(area.left, area.top), std::make_pair(placed.left, placed.top));
    EXPECT_EQ(own.right, placed.right - placed.left);
}

TEST_F(MainDialogPagesTest, OldPageGoesBeforeTheNewOneComes)
{
    start();
    EXPECT_EQ(Events({"create 1 1"}), events);
    int shown = PAGE_INFO;
    for (int index : {4, 1, 3, 0, 2}) {
        events.clear();
        pickTab(index);
        EXPECT_EQ(Events({"destroy " + std::to_string(shown),
                          "create " + std::to_string(index + 1) + " 1"}),
                  events);
        shown = index + 1;
    }
    // Another number: back to Info, for that number.
    events.clear();
    SendMessageA(item(IDC_DEVICE_LIST), CB_SETCURSEL, 1, 0);
    send(IDC_DEVICE_LIST, CBN_SELCHANGE);
    EXPECT_EQ(Events({"destroy 3", "create 1 3"}), events);
    EXPECT_EQ(0, SendMessageA(item(IDC_TABS), TCM_GETCURSEL, 0, 0));
    // Refreshing from another tab: back to Info, for the first number again.
    pickTab(2);
    events.clear();
    send(IDC_REFRESH, BN_CLICKED);
    EXPECT_EQ(Events({"destroy 3", "create 1 1"}), events);
    // No device: the page stays, hidden with the tabs, until a number is found again.
    events.clear();
    SimClient::vlxRemove(1);
    SimClient::vlxRemove(3);
    send(IDC_REFRESH, BN_CLICKED);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ("no tabs, Kein Gerät angeschlossen.", tabsAndStatus());
    SimClient::vlxAdd(9);
    send(IDC_REFRESH, BN_CLICKED);
    EXPECT_EQ(Events({"destroy 1", "create 1 9"}), events);
    EXPECT_EQ("tabs, ", tabsAndStatus());
    events.clear();
    dialog.reset();
    EXPECT_EQ(Events({"destroy 1"}), events);
}

// The tab set follows service mode and whether a device numbered above 1 was found at the start;
// outside service mode a device found later ("Aktualisieren") adds no tab "Gerätenummer".
struct TabCase
{
    std::vector<unsigned> devices;
    bool service;
    Events tabs;
};

class TabSetTest : public MainDialogPagesTest, public ::testing::WithParamInterface<TabCase>
{};

TEST_P(TabSetTest, ByDevicesAtStartAndServiceMode)
{
    start(GetParam().devices, GetParam().service);
    EXPECT_EQ(GetParam().tabs, tabTexts());
    SimClient::vlxAdd(7);
    send(IDC_REFRESH, BN_CLICKED);
    EXPECT_EQ(LRESULT(GetParam().devices.size() + 1),
              SendMessageA(item(IDC_DEVICE_LIST), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(GetParam().tabs, tabTexts());
}

Events const threeTabs = {"Info", "Update", "KRX-40 Terminal"};
Events const fourTabs = {"Info", "Gerätenummer", "Update", "KRX-40 Terminal"};
Events const fiveTabs = {"Info", "Gerätenummer", "Update", "KRX-40 Terminal", "VLX-Test"};
INSTANTIATE_TEST_SUITE_P(Cases, TabSetTest,
                         ::testing::Values(TabCase{{1}, false, threeTabs},
                                           TabCase{{1, 3}, false, fourTabs},
                                           TabCase{{1}, true, fiveTabs}));
