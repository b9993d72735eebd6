// The gallery's bitmap controls under the real mouse (SendInput moves the X pointer of Xvfb):
// what only a running window shows, read from the screen and from the status line, which
// shows the last command a control sent.
#include <gtest/gtest.h>

#include <string>

#include "BitmapSectionLayout.h"
#include "BmpFile.h"
#include "GalleryLayout.h"
#include "KrxApp.h"
#include "RealInput.h"

using namespace BitmapSectionLayout;

namespace
{

std::string image(char const* name)
{
    return std::string(KRX_IMAGES "/") + name;
}
std::string command(int id, int code)
{
    return "Letzte Meldung: Steuerelement " + std::to_string(id) + ", Code " + std::to_string(code);
}

class BitmapControlsE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gallery.start());
        main = gallery.mainWindow();
        ASSERT_NE(nullptr, main);
        status = GetDlgItem(main, GalleryLayout::lastCommandId);
        ASSERT_TRUE(
            waitUntil([&] { return pixel(lampX + 16, lampY + 16) == RGB(20, 220, 40); }, 20000));
    }
    void TearDown() override
    {
        mouse(MOUSEEVENTF_LEFTUP, 700, 300);
        EXPECT_EQ(0, gallery.close());
    }

    // Moves the pointer to a point of the gallery's client area, with the button change given.
    void mouse(DWORD buttons, int x, int y)
    {
        POINT p = {x, y};
        ClientToScreen(main, &p);
        RealInput::mouse(p, buttons);
    }
    COLORREF pixel(int x, int y)
    {
        POINT p = {x, y};
        ClientToScreen(main, &p);
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
    void clearStatus() { SendMessageA(status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("-")); }
    HWND child(char const* className) { return FindWindowExA(main, nullptr, className, nullptr); }

    KrxApp gallery{"ControlGallery MainKlasse"};
    HWND main = nullptr, status = nullptr;
};

COLORREF itemColour(int item, char kind)
{
    return BmpFile(image(("sel" + std::to_string(item) + kind + ".bmp").c_str())).at(48, 12);
}

} // namespace

TEST_F(BitmapControlsE2E, SelectionListUnfoldsUnderTheMouseAndReportsNewSelectionsOnly)
{
    HWND list = child("MrtkWndSelectListKlasse");
    ASSERT_NE(nullptr, list);
    int const x = selectX + itemWidth / 2;
    auto rowY = [](int row) { return selectY + row * itemHeight + itemHeight / 2; };
    mouse(0, x, rowY(0));
    // Item 1 is disabled: the closed image over items 0, 2 and 3.
    EXPECT_TRUE(waitPixel(x, rowY(3), itemColour(3, 'r')));
    RECT r;
    GetClientRect(list, &r);
    EXPECT_EQ(4 * itemHeight, r.bottom);
    EXPECT_EQ(itemColour(0, 'c'), pixel(x, rowY(0)));
    EXPECT_EQ(itemColour(0, 'r'), pixel(x, rowY(1)));
    EXPECT_EQ(itemColour(2, 'r'), pixel(x, rowY(2)));

    mouse(0, x, rowY(2));
    EXPECT_TRUE(waitPixel(x, rowY(2), itemColour(2, 'h')));
    EXPECT_EQ(itemColour(3, 'r'), pixel(x, rowY(3)));
    gallery.screenshot(main, "gallery-bitmaps");
    mouse(MOUSEEVENTF_LEFTDOWN, x, rowY(2));
    mouse(MOUSEEVENTF_LEFTUP, x, rowY(2));
    EXPECT_TRUE(waitStatus(command(selectId, 1)));
    EXPECT_TRUE(waitPixel(x, rowY(0), itemColour(2, 'c')));

    // The same item again: the list folds (seen once its height is one row), no command.
    clearStatus();
    mouse(0, x, rowY(0));
    EXPECT_TRUE(waitPixel(x, rowY(2), itemColour(2, 'r')));
    mouse(0, x, rowY(2));
    EXPECT_TRUE(waitPixel(x, rowY(2), itemColour(2, 'h')));
    mouse(MOUSEEVENTF_LEFTDOWN, x, rowY(2));
    EXPECT_TRUE(
        waitUntil([&] { return GetClientRect(list, &r) && r.bottom == itemHeight; }, 10000));
    EXPECT_EQ("-", KrxApp::text(status));
    mouse(MOUSEEVENTF_LEFTUP, 700, 300);
    // Leaving folds it.
    EXPECT_TRUE(
        waitUntil([&] { return GetClientRect(list, &r) && r.bottom == itemHeight; }, 10000));
}

// Presses and leaves with the real mouse; the picture shows the state, the status line the
// commands. A later highlight of another button proves that earlier input was handled.
TEST_F(BitmapControlsE2E, ButtonKindsAndTheMouseLeaveRule)
{
    BmpFile up(image("btn_up.bmp")), down(image("btn_down.bmp")), hi(image("btn_hi.bmp")),
        downHi(image("btn_downhi.bmp"));
    auto at = [](int k) { return buttonX + k * buttonStep + 50; };
    int const y = buttonY + 30;
    COLORREF const face = up.at(50, 30), faceDown = down.at(50, 30), faceHi = hi.at(50, 30),
                   faceDownHi = downHi.at(50, 30);

    // Plain: down and up, highlighted under the mouse.
    mouse(0, at(0), y);
    EXPECT_TRUE(waitPixel(at(0), y, faceHi));
    mouse(MOUSEEVENTF_LEFTDOWN, at(0), y);
    EXPECT_TRUE(waitStatus(command(buttonId, 1)));
    EXPECT_TRUE(waitPixel(at(0), y, faceDownHi));
    mouse(MOUSEEVENTF_LEFTUP, at(0), y);
    EXPECT_TRUE(waitStatus(command(buttonId, 2)));
    // Leaving with the button held releases it.
    mouse(MOUSEEVENTF_LEFTDOWN, at(0), y);
    EXPECT_TRUE(waitStatus(command(buttonId, 1)));
    mouse(0, 700, 300);
    EXPECT_TRUE(waitStatus(command(buttonId, 2)));
    EXPECT_TRUE(waitPixel(at(0), y, face));
    mouse(MOUSEEVENTF_LEFTUP, 700, 300);

    // Flag 2 keeps it down when the mouse leaves; the highlight goes.
    mouse(0, at(3), y);
    mouse(MOUSEEVENTF_LEFTDOWN, at(3), y);
    EXPECT_TRUE(waitStatus(command(buttonId + 3, 1)));
    mouse(0, 700, 300);
    EXPECT_TRUE(waitPixel(at(3), y, faceDown));
    EXPECT_EQ(command(buttonId + 3, 1), KrxApp::text(status));
    mouse(MOUSEEVENTF_LEFTUP, 700, 300);

    // Toggling: down with the first click, up with the second.
    for (int code : {1, 2}) {
        mouse(MOUSEEVENTF_LEFTDOWN, at(2), y);
        mouse(MOUSEEVENTF_LEFTUP, at(2), y);
        EXPECT_TRUE(waitStatus(command(buttonId + 2, code)));
    }
    // Latching: stays down, and a second click sends nothing.
    mouse(MOUSEEVENTF_LEFTDOWN, at(1), y);
    mouse(MOUSEEVENTF_LEFTUP, at(1), y);
    EXPECT_TRUE(waitStatus(command(buttonId + 1, 1)));
    clearStatus();
    mouse(MOUSEEVENTF_LEFTDOWN, at(1), y);
    mouse(MOUSEEVENTF_LEFTUP, at(1), y);
    mouse(0, at(0), y);
    EXPECT_TRUE(waitPixel(at(0), y, faceHi));
    EXPECT_EQ(faceDown, pixel(at(1), y));
    EXPECT_EQ("-", KrxApp::text(status));
    // Flag 8: no highlight under the mouse.
    mouse(0, at(4), y);
    EXPECT_TRUE(waitPixel(at(0), y, face));
    EXPECT_EQ(face, pixel(at(4), y));
}

TEST_F(BitmapControlsE2E, BitmapListsReportMouseMovesAndTheShapeFollowsItsBitmap)
{
    mouse(0, lampX + 10, lampY + 10);
    EXPECT_TRUE(waitStatus(command(lampId, 1)));
    // The cab's window (white in the bitmap) is cut out: the gallery shows through, and the
    // mouse there is over the gallery, not over the shape.
    auto windowAt = [&](int x, int y) {
        POINT p = {shapeX + x, shapeY + y};
        ClientToScreen(main, &p);
        return WindowFromPoint(p);
    };
    EXPECT_EQ("MrtkWndBmpListKlasse", KrxApp::className(windowAt(60, 50)));
    EXPECT_EQ(main, windowAt(120, 20));
    EXPECT_EQ(main, windowAt(5, 5));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), pixel(shapeX + 120, shapeY + 20));
    mouse(0, shapeX + 60, shapeY + 50);
    EXPECT_TRUE(waitStatus(command(shapeId, 1)));
}
