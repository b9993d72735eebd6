// The control gallery under the real mouse and keys (SendInput moves the X pointer of Xvfb): what
// only a running window shows, read from the screen, from the windows and from the status line,
// which shows the last command a control sent. The controls' own rules are tested in-process.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "BitmapSectionLayout.h"
#include "BmpFile.h"
#include "GalleryLayout.h"
#include "KrxApp.h"
#include "RealInput.h"
#include "SettingsIds.h"
#include "WrapperLayout.h"

using namespace BitmapSectionLayout;
using namespace WrapperLayout;

namespace
{

std::string command(int id, int code)
{
    return "Letzte Meldung: Steuerelement " + std::to_string(id) + ", Code " + std::to_string(code);
}

class Gallery : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, settingsKey);
        ASSERT_TRUE(app.start());
        ASSERT_NE(nullptr, main = app.mainWindow());
        status = GetDlgItem(main, GalleryLayout::lastCommandId);
        pane = GetDlgItem(main, paneId);
        drawing = GetDlgItem(pane, drawingId);
        ASSERT_TRUE(pane && drawing);
        ASSERT_TRUE(
            waitUntil([&] { return pixel(lampX + 16, lampY + 16) == RGB(20, 220, 40); }, 20000));
    }
    void TearDown() override
    {
        mouse(MOUSEEVENTF_LEFTUP, 700, 300);
        EXPECT_EQ(0, app.close());
    }

    // A point of the gallery's client area on the screen.
    POINT onScreen(int x, int y)
    {
        POINT p = {x, y};
        ClientToScreen(main, &p);
        return p;
    }
    // Moves the pointer to a point of the gallery's client area, with the button change given; a
    // move alone waits until the cursor is there (a late pointer event of X may move it back).
    void mouse(DWORD buttons, int x, int y)
    {
        POINT p = onScreen(x, y);
        EXPECT_TRUE(buttons ? RealInput::mouse(p, buttons) : RealInput::moveTo(p)) << x << "," << y;
    }
    COLORREF pixel(int x, int y)
    {
        POINT p = onScreen(x, y);
        HDC screen = GetDC(nullptr);
        COLORREF c = GetPixel(screen, p.x, p.y);
        ReleaseDC(nullptr, screen);
        return c;
    }
    bool waitPixel(int x, int y, COLORREF expected)
    {
        return waitUntil([&] { return pixel(x, y) == expected; }, 10000);
    }
    bool waitStatus(std::string const& text)
    {
        return waitUntil([&] { return KrxApp::text(status) == text; }, 10000);
    }
    // Whether the pane's scroll offsets, as the drawing's place inside it shows them, become these.
    bool offsetBecomes(int x, int y)
    {
        return waitUntil(
            [&] {
                POINT origin = {0, 0};
                RECT d;
                ClientToScreen(pane, &origin);
                GetWindowRect(drawing, &d);
                return origin.x - d.left == x && origin.y - d.top == y;
            },
            10000);
    }

    KrxApp app{"ControlGallery MainKlasse"};
    HWND main = nullptr, status = nullptr, pane = nullptr, drawing = nullptr;
};
// The bitmap controls and the wrappers, each a suite of its own.
using BitmapControlsE2E = Gallery;
using GalleryWrappers = Gallery;

} // namespace

TEST_F(BitmapControlsE2E, SelectionListUnfoldsUnderTheMouseAndFoldsWhenItLeaves)
{
    HWND list = FindWindowExA(main, nullptr, "MrtkWndSelectListKlasse", nullptr);
    int const x = selectX + itemWidth / 2;
    auto rowY = [](int row) { return selectY + row * itemHeight + itemHeight / 2; };
    auto rowsBecome = [&](int rows) {
        RECT r;
        return waitUntil([&] { return GetClientRect(list, &r) && r.bottom == rows * itemHeight; },
                         10000);
    };
    // Item 1 is disabled and takes no row: under the closed image come items 0, 2 and 3, so the
    // pointer in row 2 highlights item 2.
    mouse(0, x, rowY(0));
    EXPECT_TRUE(rowsBecome(4));
    mouse(0, x, rowY(2));
    EXPECT_TRUE(waitPixel(x, rowY(2), BmpFile(KRX_IMAGES "/sel2h.bmp").at(48, 12)));
    EXPECT_NE("", app.screenshot(main, "gallery-bitmaps"));
    mouse(MOUSEEVENTF_LEFTDOWN, x, rowY(2));
    mouse(MOUSEEVENTF_LEFTUP, x, rowY(2));
    EXPECT_TRUE(waitStatus(command(selectId, 1)));
    mouse(0, x, rowY(0));
    EXPECT_TRUE(rowsBecome(4));
    mouse(0, 700, 300);
    EXPECT_TRUE(rowsBecome(1));
}

// Leaving with the real mouse (the leave comes from TrackMouseEvent) and the button held
// releases a plain button; the picture shows the state, the status line the commands. The other
// kinds' state rules and the highlight are tested in-process.
TEST_F(BitmapControlsE2E, TheMouseLeaveRule)
{
    int const x = buttonX + 50, y = buttonY + 30;
    mouse(0, x, y);
    mouse(MOUSEEVENTF_LEFTDOWN, x, y);
    EXPECT_TRUE(waitStatus(command(buttonId, 1)));
    mouse(0, 700, 300);
    EXPECT_TRUE(waitStatus(command(buttonId, 2)));
    EXPECT_TRUE(waitPixel(x, y, BmpFile(KRX_IMAGES "/btn_up.bmp").at(50, 30)));
}

// The cab's window (white in the bitmap) is cut out: the gallery shows through, and the mouse
// there is over the gallery, not over the shape.
TEST_F(BitmapControlsE2E, TheShapeIsCutOutWhereItsBitmapIsWhite)
{
    EXPECT_EQ("MrtkWndBmpListKlasse",
              KrxApp::className(WindowFromPoint(onScreen(shapeX + 60, shapeY + 50))));
    EXPECT_EQ(main, WindowFromPoint(onScreen(shapeX + 120, shapeY + 20)));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), pixel(shapeX + 120, shapeY + 20));
}

// Real clicks on the bars' arrows and trough, and keys after a click on the drawing gave the pane
// the focus: what the system makes of them reaches the pane's scroll requests.
TEST_F(GalleryWrappers, ScrollBarClicksAndKeysScrollTheDrawing)
{
    RECT r, client;
    ASSERT_TRUE(GetWindowRect(pane, &r) && GetClientRect(pane, &client));
    int const bar = GetSystemMetrics(SM_CXVSCROLL), edge = bar / 2 + 2, page = client.bottom;
    POINT const downArrow = {r.right - edge, r.bottom - bar - edge},
                trough = {r.right - edge, r.bottom - 3 * bar},
                rightArrow = {r.right - bar - edge, r.bottom - edge};
    struct
    {
        char const* what;
        POINT click; // where key is 0
        WORD key;
        int x, y;
    } const steps[] = {
        {"down arrow", downArrow, 0, 0, 1},     {"trough below the thumb", trough, 0, 0, 1 + page},
        {"key down", {}, VK_DOWN, 0, 2 + page}, {"key page up", {}, VK_PRIOR, 0, 2},
        {"right arrow", rightArrow, 0, 1, 2},   {"key right", {}, VK_RIGHT, 2, 2}};
    ASSERT_TRUE(RealInput::click({r.left + 40, r.top + 40}));
    for (auto const& s : steps) {
        ASSERT_TRUE(s.key ? RealInput::key(s.key) : RealInput::click(s.click)) << s.what;
        EXPECT_TRUE(offsetBecomes(s.x, s.y)) << s.what;
    }
}

// The right click's popup menu reaches the pane with its second item, "Zum Ende"; the other
// items are one line each of the gallery.
TEST_F(GalleryWrappers, RightClickPopupScrollsToTheEnd)
{
    RECT visible, menu;
    ASSERT_TRUE(GetClientRect(pane, &visible));
    ASSERT_TRUE(RealInput::click(onScreen(paneX + 60, paneY + 60), true));
    HWND popup = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (popup = app.shownWindow("#32768")) != nullptr; }, 10000));
    ASSERT_TRUE(GetWindowRect(popup, &menu));
    // Three text items of one height: the middle of the menu is the second.
    ASSERT_TRUE(RealInput::click({menu.left + 20, (menu.top + menu.bottom) / 2}));
    EXPECT_TRUE(offsetBecomes(drawingWidth - visible.right, drawingHeight - visible.bottom));
}

TEST_F(GalleryWrappers, ApplyStoresTheChangedPageInTheRegistry)
{
    ASSERT_TRUE(PostMessageA(main, WM_COMMAND, cmdSettings, 0));
    HWND sheet = app.waitDialog("Einstellungen");
    ASSERT_NE(nullptr, sheet);
    HWND apply = GetDlgItem(sheet, 0x3021), step = KrxApp::findChild(sheet, IDC_SETTINGS_STEP);
    ASSERT_TRUE(apply && step);
    SendMessageA(step, EM_SETSEL, 0, -1);
    KrxApp::type(step, "25");
    ASSERT_TRUE(waitUntil([&] { return IsWindowEnabled(apply) != 0; }, 10000));
    EXPECT_NE("", app.screenshot(sheet, "gallery-settings"));
    RECT r;
    ASSERT_TRUE(GetWindowRect(apply, &r));
    ASSERT_TRUE(RealInput::click({(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
    DWORD stored = 0, size = sizeof stored;
    EXPECT_TRUE(waitUntil(
        [&] {
            return RegGetValueA(HKEY_CURRENT_USER, settingsKey, "Rasterweite", RRF_RT_REG_DWORD,
                                nullptr, &stored, &size) == ERROR_SUCCESS &&
                stored == 25;
        },
        10000))
        << stored;
    ASSERT_TRUE(KrxApp::press(GetDlgItem(sheet, IDCANCEL)));
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(sheet); }, 10000));
}

TEST_F(GalleryWrappers, RestingMouseShowsTheToolTip)
{
    RECT r;
    GetWindowRect(GetDlgItem(main, comboId), &r);
    ASSERT_TRUE(RealInput::moveTo({r.left + 30, (r.top + r.bottom) / 2}));
    HWND tip = nullptr;
    EXPECT_TRUE(
        waitUntil([&] { return (tip = app.shownWindow(TOOLTIPS_CLASSA)) != nullptr; }, 15000));
    EXPECT_EQ("Geschwindigkeit wählen", KrxApp::text(tip));
}
