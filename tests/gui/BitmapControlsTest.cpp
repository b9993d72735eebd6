// Bitmaps, image lists and the bitmap controls in this process: what they draw is read back
// from memory DCs and from real windows and compared with the picture files, read by the system's
// loader (BmpFile), not the library's.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BmpFile.h"
#include "Exception.h"
#include "GalleryImages.h"
#include "TestFiles.h"
#include "gui/Bitmap.h"
#include "gui/IconList.h"
#include "gui/WndBmpList.h"
#include "gui/WndButton.h"
#include "gui/WndSelectList.h"

namespace
{

HINSTANCE const module = GetModuleHandleA(nullptr);
std::string image(char const* name)
{
    return std::string(KRX_IMAGES "/") + name;
}

// A 32-bit top-down DIB section to draw into and read back.
struct Canvas
{
    HDC dc = CreateCompatibleDC(nullptr);
    DWORD* bits = nullptr;
    HBITMAP bitmap;
    int width;
    Canvas(int w, int h, COLORREF fill) : width(w)
    {
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr,
                                  0);
        SelectObject(dc, bitmap);
        HBRUSH brush = CreateSolidBrush(fill);
        RECT all = {0, 0, w, h};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas()
    {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    COLORREF at(int x, int y)
    {
        GdiFlush();
        DWORD p = bits[y * width + x];
        return RGB(p >> 16 & 255, p >> 8 & 255, p & 255);
    }
    // The window's pixels as the screen shows them, after its pending paints.
    void grab(HWND window)
    {
        UpdateWindow(window);
        HDC from = GetDC(window);
        BitBlt(dc, 0, 0, width, 400, from, 0, 0, SRCCOPY);
        ReleaseDC(window, from);
    }
};

// A visible top-level window that records the WM_COMMAND messages of its controls.
class Host : public Window
{
public:
    Host()
    {
        static ATOM atom = registerClass(0, module, nullptr, nullptr,
                                         (HBRUSH)GetStockObject(BLACK_BRUSH), nullptr,
                                         "MrtkBitmapTestKlasse", nullptr);
        setMainInstance(module);
        createWindowEx(0, MAKEINTATOM(atom), "Test", WS_POPUP | WS_VISIBLE, 0, 0, 400, 400, nullptr,
                       nullptr);
    }
    std::vector<std::pair<WPARAM, LPARAM>> commands;

protected:
    LRESULT notifyCommand(WPARAM w, LPARAM l) override
    {
        commands.push_back({w, l});
        return 0;
    }
};

} // namespace

// Every depth the library reads, from the program's resources and from plain and packed files;
// through a mask, the background stays where the mask is white.
TEST(BitmapDraw, EveryDepthAndSourceMatchesItsFile)
{
    struct
    {
        int id, maskId;   // id 0: loaded from the file
        char const* load; // the file to load, or null
        char const* file; // the picture to compare with
        char const* mask; // and its mask, or null
    } const cases[] = {{0, 0, "foto.bmp", "foto.bmp", nullptr},
                       {0, 0, "foto.bmp_", "foto.bmp", nullptr},
                       {IDB_LOGO_MASK, 0, nullptr, "logo_mask.bmp", nullptr},
                       {IDB_BUTTON_HILITE, 0, nullptr, "btn_hi.bmp", nullptr},
                       {IDB_SELECT + 4, 0, nullptr, "sel1r.bmp", nullptr},
                       {IDB_LOGO, IDB_LOGO_MASK, nullptr, "logo.bmp", "logo_mask.bmp"}};
    COLORREF const background = RGB(0, 200, 100);
    for (auto const& c : cases) {
        BmpFile expected(image(c.file)), mask(c.mask ? image(c.mask) : "");
        std::unique_ptr<Bitmap> bitmap(c.load ? new Bitmap(String(image(c.load).c_str()))
                                              : new Bitmap(module, c.id, c.maskId));
        EXPECT_EQ(c.load && std::string(c.load) == "foto.bmp_", bitmap->getFileCompressed())
            << c.file;
        ASSERT_EQ(expected.width, bitmap->getSize().x) << c.file;
        Canvas canvas(expected.width + 4, expected.height + 4, background);
        bitmap->draw(canvas.dc, 2, 3);
        int wrong = 0;
        for (int y = 0; y < expected.height; ++y)
            for (int x = 0; x < expected.width; ++x) {
                bool white = mask.at(x, y) == RGB(255, 255, 255);
                wrong += canvas.at(x + 2, y + 3) != (white ? background : expected.at(x, y));
            }
        EXPECT_EQ(0, wrong) << c.file;
    }
    Bitmap missing(module, 4711);
    EXPECT_EQ(0, missing.getSize().x);
}

TEST(BitmapFile, RefusesWhatIsNoCompleteBitmap)
{
    std::string const bmp = readWholeFile(image("foto.bmp"));
    for (std::string const& content : {std::string("MB kein Bild"), bmp.substr(0, 1000)}) {
        std::string path = scratchPath("bitmap");
        writeWholeFile(path, content);
        try {
            Bitmap bitmap{String(path.c_str())};
            ADD_FAILURE() << "loaded " << content.size() << " bytes";
        } catch (Exception& e) {
            EXPECT_STREQ("Das Dateiformat ist ungültig.", e.what());
        }
        DeleteFileA(path.c_str());
    }
}

// The checkerboard has more row runs than one batch of 2000 rectangles.
TEST(BitmapRegion, HoldsExactlyTheOpaquePixels)
{
    BmpFile file(image("raster.bmp"));
    HRGN region = Bitmap::toRegion(module, IDB_RASTER);
    ASSERT_NE(nullptr, region);
    int wrong = 0;
    for (int y = 0; y < file.height; ++y)
        for (int x = 0; x < file.width; ++x)
            wrong += (file.at(x, y) != RGB(255, 255, 255)) != (PtInRegion(region, x, y) != FALSE);
    EXPECT_EQ(0, wrong);
    DeleteObject(region);
}

// The lamp is 32 x 32: green at the centre of 64 x 64 only when stretched.
TEST(BitmapDraw, MakeDdbStretchesToTheGivenSize)
{
    Host host;
    Bitmap lamp(module, IDB_LAMP_GREEN);
    HBITMAP ddb = lamp.makeDDB(&host, 64, 64);
    ASSERT_NE(nullptr, ddb);
    Canvas canvas(64, 64, 0);
    HDC source = CreateCompatibleDC(canvas.dc);
    SelectObject(source, ddb);
    BitBlt(canvas.dc, 0, 0, 64, 64, source, 0, 0, SRCCOPY);
    DeleteDC(source);
    DeleteObject(ddb);
    EXPECT_EQ(RGB(20, 220, 40), canvas.at(32, 32));
}

TEST(IconList, LooksIconsUpByIdAndIndex)
{
    IconList icons(32, 32, ILC_COLOR32 | ILC_MASK, 4, 4);
    EXPECT_EQ(0, icons.addIcon(module, IDI_SIGNAL, "Signal"));
    EXPECT_EQ(1, icons.addIcon(module, IDI_LOK));
    EXPECT_EQ(-1, icons.addIcon(module, 4711, "fehlt"));
    EXPECT_EQ(2, icons.addIcon(module, IDI_SIGNAL, "Signal 2"));
    struct
    {
        int index;
        char const* text;
        int id;
    } const rows[] = {{0, "Signal", IDI_SIGNAL},
                      {1, "", IDI_LOK},
                      {2, "Signal 2", IDI_SIGNAL},
                      {3, "Icon ohne Text", 0}};
    for (auto const& r : rows) {
        EXPECT_STREQ(r.text, icons.getText(r.index).getChars()) << r.index;
        EXPECT_EQ(r.id, icons.getIconId(r.index)) << r.index;
    }
    EXPECT_EQ(0, icons.findIconId(IDI_SIGNAL));
    EXPECT_EQ(3, icons.findIconId(IDI_WEICHE));
}

// The centre pixel of an image of the selection list, from its file.
COLORREF fileColour(int item, char kind)
{
    return BmpFile(image(("sel" + std::to_string(item) + kind + ".bmp").c_str())).at(48, 12);
}

TEST(WndSelectList, UnfoldsEnabledItemsAndReportsOnlyNewSelections)
{
    Host host;
    int ids[12];
    for (int i = 0; i < 12; ++i)
        ids[i] = IDB_SELECT + i;
    WndSelectList list(module, &host, 77, 10, 10, ids, 4);
    EXPECT_TRUE(list.enableSelect(1, false));
    list.clap(1);
    list.hiliteLast();
    list.hiliteBefore();
    Canvas canvas(96, 120, 0);
    canvas.grab(list.getHwnd());
    // Each 24-pixel row of the unfolded list by its centre: the closed image, items 0, 2 (lit), 3.
    std::pair<int, char> const rows[] = {{0, 'c'}, {0, 'r'}, {2, 'h'}, {3, 'r'}};
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(fileColour(rows[r].first, rows[r].second), canvas.at(48, 24 * r + 12)) << r;

    SendMessageA(list.getHwnd(), WM_KEYDOWN, VK_RETURN, 0); // takes item 2
    EXPECT_EQ(0, list.isClapped());
    ASSERT_EQ(1u, host.commands.size());
    EXPECT_EQ(reinterpret_cast<LPARAM>(list.getHwnd()), host.commands[0].second);

    list.clap(1);
    list.hiliteFirst();
    list.hiliteNext();                                      // skips the disabled item 1
    SendMessageA(list.getHwnd(), WM_KEYDOWN, VK_RETURN, 0); // item 2 again: no command
    EXPECT_EQ(1u, host.commands.size());
    list.clap(1);
    SendMessageA(list.getHwnd(), WM_KEYDOWN, VK_RETURN, 0); // nothing highlighted: folds only
    EXPECT_EQ(0, list.isClapped());
    EXPECT_EQ(2, list.select(3));
    EXPECT_EQ(1u, host.commands.size());
}

// The state rule: one command per change of state, none for reset and setState.
TEST(WndButton, ReportsEveryStateChangeByItsFlags)
{
    struct
    {
        int flags;
        char const* events;
        char const* codes;
        int state;
    } const cases[] = {
        {0, "du", "12", 2},   // down, up
        {4, "dudu", "12", 2}, // toggling: down on the first press, up on the second
        {1, "dudu", "1", 1},  // latching
        {0, "ku", "1", 1},    // a key keeps it down against the mouse
    };
    Host host;
    for (auto const& c : cases) {
        WndButton button(module, &host, 5, 0, 0, IDB_BUTTON_UP, IDB_BUTTON_DOWN, 0, 0, c.flags);
        host.commands.clear();
        for (char const* e = c.events; *e; ++e) {
            if (*e == 'k')
                button.notifyKey(true);
            else
                SendMessageA(button.getHwnd(), *e == 'd' ? WM_LBUTTONDOWN : WM_LBUTTONUP, 0, 0);
        }
        std::string codes;
        for (auto const& m : host.commands)
            codes += std::to_string(HIWORD(m.first)) + (LOWORD(m.first) == 5 ? "" : "?");
        EXPECT_EQ(c.codes, codes) << c.flags << " " << c.events;
        EXPECT_EQ(c.state, button.getState()) << c.flags << " " << c.events;
        button.reset();
        EXPECT_EQ(2, button.getState());
        EXPECT_EQ(codes.size(), host.commands.size());
    }
}

// The highlight comes with the first mouse move (the leave that follows is only posted).
TEST(WndButton, DrawsItsStateAndHighlightWithTheIconOnTop)
{
    Host host;
    ImageList icons(32, 32, ILC_COLOR32 | ILC_MASK, 2, 2);
    icons.addIcon(module, IDI_LOK);
    BmpFile const faces[] = {BmpFile(image("btn_up.bmp")), BmpFile(image("btn_hi.bmp")),
                             BmpFile(image("btn_downhi.bmp"))};
    struct
    {
        int flags, state, face;
    } const cases[] = {{0, 2, 1}, {0, 1, 2}, {8, 2, 0}}; // flag 8: never highlighted
    for (auto const& c : cases) {
        WndButton button(module, &host, 5, 0, 0, IDB_BUTTON_UP, IDB_BUTTON_DOWN, IDB_BUTTON_HILITE,
                         IDB_BUTTON_DOWN_HILITE, c.flags);
        button.setImageLists(&icons, nullptr);
        button.setImageIndex(0);
        SendMessageA(button.getHwnd(), WM_MOUSEMOVE, 0, 0);
        button.setState(c.state);
        Canvas canvas(64, 32, 0);
        canvas.grab(button.getHwnd());
        BmpFile const& face = faces[c.face];
        SCOPED_TRACE(testing::Message() << c.flags << " " << c.state);
        EXPECT_EQ(face.at(50, 20), canvas.at(50, 20));
        // The icon's box starts at (3, 8) and moves one pixel with the press.
        EXPECT_EQ(c.state == 1 ? face.at(7, 12) : RGB(30, 78, 137), canvas.at(4 + 3, 4 + 8));
    }
    EXPECT_TRUE(host.commands.empty());
}

TEST(WndBmpList, ShowsTheSelectedBitmapOrWhiteAndReportsMouseMoves)
{
    Host host;
    WndBmpList lamps(module, &host, 3, 0, 0, IDB_LAMP_OFF, IDB_LAMP_GREEN, IDB_LAMP_RED);
    WndBmpList blank(&host, 100, 0, 40, 40, false);
    Canvas canvas(40, 40, 0);
    EXPECT_EQ(0, lamps.select(1));
    blank.setBitmap(new Bitmap(module, IDB_LAMP_RED));
    canvas.grab(blank.getHwnd());
    EXPECT_EQ(RGB(230, 30, 20), canvas.at(16, 16));
    blank.setBitmap(nullptr);
    canvas.grab(blank.getHwnd());
    EXPECT_EQ(RGB(255, 255, 255), canvas.at(16, 16));
    EXPECT_EQ(-1, blank.select(0));                    // nothing to show at 0 any more
    SendMessageA(blank.getHwnd(), WM_MOUSEMOVE, 0, 0); // no id: no command
    SendMessageA(lamps.getHwnd(), WM_MOUSEMOVE, 0, 0);
    ASSERT_EQ(1u, host.commands.size());
    EXPECT_EQ(MAKEWPARAM(3, 1), host.commands[0].first);
}
