// The gallery's scroll pane, popup menu, settings sheet and tooltips, driven with real input.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "KrxApp.h"
#include "RealInput.h"
#include "SettingsIds.h"
#include "WrapperLayout.h"

using namespace WrapperLayout;

namespace
{

struct GalleryWrappers : testing::Test
{
    void SetUp() override
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, settingsKey);
        ASSERT_TRUE(app.start());
        ASSERT_NE(nullptr, main = app.mainWindow());
        pane = GetDlgItem(main, paneId);
        drawing = GetDlgItem(pane, drawingId);
        ASSERT_TRUE(pane && drawing);
        RECT r;
        GetClientRect(pane, &r);
        visible = {r.right, r.bottom};
    }
    void TearDown() override { EXPECT_EQ(0, app.close()); }

    // The pane's scroll offsets, as the drawing's place inside it shows them.
    POINT offset()
    {
        POINT origin = {0, 0};
        RECT d;
        ClientToScreen(pane, &origin);
        GetWindowRect(drawing, &d);
        return {origin.x - d.left, origin.y - d.top};
    }
    bool offsetBecomes(int x, int y)
    {
        return waitUntil(
            [&] {
                POINT o = offset();
                return o.x == x && o.y == y;
            },
            5000);
    }
    // A point of the pane's window rectangle, from its right and bottom edges when negative.
    POINT inPane(int x, int y)
    {
        RECT r;
        GetWindowRect(pane, &r);
        return {x < 0 ? r.right + x : r.left + x, y < 0 ? r.bottom + y : r.top + y};
    }
    // A visible window of the gallery's process with this class, or null.
    HWND shownWindow(char const* className)
    {
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            DWORD pid = 0, own = 0;
            GetWindowThreadProcessId(w, &pid);
            GetWindowThreadProcessId(main, &own);
            if (pid == own && IsWindowVisible(w) && KrxApp::className(w) == className)
                return w;
        }
        return nullptr;
    }

    KrxApp app{"ControlGallery MainKlasse"};
    HWND main = nullptr, pane = nullptr, drawing = nullptr;
    POINT visible = {};
};

} // namespace

TEST_F(GalleryWrappers, ScrollBarClicksAndKeysScrollTheDrawing)
{
    int bar = GetSystemMetrics(SM_CXVSCROLL), edge = bar / 2 + 2;
    int pageY = visible.y;
    struct Step
    {
        char const* what;
        std::function<bool()> act;
        int x, y;
    } const steps[] = {
        {"down arrow", [&] { return RealInput::click(inPane(-edge, -bar - edge)); }, 0, 1},
        {"trough below the thumb", [&] { return RealInput::click(inPane(-edge, -bar - 2 * bar)); },
         0, 1 + pageY},
        {"key down", [&] { return RealInput::key(VK_DOWN); }, 0, 2 + pageY},
        {"key page up", [&] { return RealInput::key(VK_PRIOR); }, 0, 2},
        {"key up", [&] { return RealInput::key(VK_UP); }, 0, 1},
        {"right arrow", [&] { return RealInput::click(inPane(-bar - edge, -edge)); }, 1, 1},
        {"key right", [&] { return RealInput::key(VK_RIGHT); }, 2, 1},
    };
    // A click on the drawing gives the pane the keys.
    ASSERT_TRUE(RealInput::click(inPane(40, 40)));
    for (Step const& s : steps) {
        ASSERT_TRUE(s.act()) << s.what;
        EXPECT_TRUE(offsetBecomes(s.x, s.y))
            << s.what << ": at " << offset().x << "," << offset().y;
    }
}

TEST_F(GalleryWrappers, RightClickPopupScrollsToTheEndAndBack)
{
    struct Pick
    {
        int item;
        int x, y;
    } const picks[] = {{1, drawingWidth - visible.x, drawingHeight - visible.y}, {0, 0, 0}};
    for (Pick const& p : picks) {
        ASSERT_TRUE(RealInput::click(inPane(60, 60), true));
        HWND popup = nullptr;
        ASSERT_TRUE(waitUntil([&] { return (popup = shownWindow("#32768")) != nullptr; }, 5000));
        RECT r;
        GetWindowRect(popup, &r);
        // Three text items of one height.
        int itemHeight = (r.bottom - r.top) / 3;
        ASSERT_TRUE(RealInput::click({r.left + 20, r.top + itemHeight * p.item + itemHeight / 2}));
        EXPECT_TRUE(offsetBecomes(p.x, p.y)) << "item " << p.item;
    }
}

TEST_F(GalleryWrappers, ApplyStoresTheChangedPageInTheRegistry)
{
    ASSERT_TRUE(PostMessageA(main, WM_COMMAND, cmdSettings, 0));
    HWND sheet = app.waitDialog("Einstellungen");
    ASSERT_NE(nullptr, sheet);
    HWND apply = GetDlgItem(sheet, 0x3021), step = KrxApp::findChild(sheet, IDC_SETTINGS_STEP);
    ASSERT_TRUE(apply && step);
    EXPECT_EQ("50", KrxApp::text(step));
    EXPECT_FALSE(IsWindowEnabled(apply));
    SendMessageA(step, EM_SETSEL, 0, -1);
    KrxApp::type(step, "25");
    ASSERT_TRUE(waitUntil([&] { return IsWindowEnabled(apply) != 0; }, 5000));
    EXPECT_NE("", app.screenshot(sheet, "gallery-settings"));
    RECT r;
    GetWindowRect(apply, &r);
    ASSERT_TRUE(RealInput::click({(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
    DWORD stored = 0, size = sizeof stored;
    EXPECT_TRUE(waitUntil(
        [&] {
            return RegGetValueA(HKEY_CURRENT_USER, settingsKey, "Rasterweite", RRF_RT_REG_DWORD,
                                nullptr, &stored, &size) == ERROR_SUCCESS &&
                stored == 25;
        },
        5000))
        << stored;
    EXPECT_TRUE(waitUntil([&] { return !IsWindowEnabled(apply); }, 5000));
    ASSERT_TRUE(KrxApp::press(GetDlgItem(sheet, IDCANCEL)));
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(sheet); }, 5000));
}

TEST_F(GalleryWrappers, RestingMouseShowsTheToolTip)
{
    RECT r;
    GetWindowRect(GetDlgItem(main, comboId), &r);
    ASSERT_TRUE(RealInput::moveTo({r.left + 30, (r.top + r.bottom) / 2}));
    HWND tip = nullptr;
    EXPECT_TRUE(waitUntil([&] { return (tip = shownWindow(TOOLTIPS_CLASSA)) != nullptr; }, 8000));
    EXPECT_EQ("Geschwindigkeit wählen", KrxApp::text(tip));
}
