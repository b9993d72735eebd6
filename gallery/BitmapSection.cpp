#include "BitmapSection.h"

#include "BitmapSectionLayout.h"
#include "Exception.h"
#include "GalleryImages.h"

using namespace BitmapSectionLayout;

BitmapSection::BitmapSection(Window* parent) : icons(32, 32, ILC_COLOR32 | ILC_MASK, 3, 1)
{
    HINSTANCE instance = static_cast<HINSTANCE>(GetModuleHandleA(nullptr));
    icons.addIcon(instance, IDI_SIGNAL, "Signal");
    icons.addIcon(instance, IDI_LOK, "Lok");
    icons.addIcon(instance, IDI_WEICHE, "Weiche");

    label(parent, "Auswahlliste (WndSelectList): Maus darüber klappt sie auf", selectX, 10, 330);
    int ids[3 * IDB_SELECT_ITEMS];
    for (int i = 0; i < 3 * IDB_SELECT_ITEMS; ++i)
        ids[i] = IDB_SELECT + i;
    selectList.reset(
        new WndSelectList(instance, parent, selectId, selectX, selectY, ids, IDB_SELECT_ITEMS));
    selectList->enableSelect(disabledItem, false);

    label(parent, "Schaltflächen (WndButton): einfach, rastend, umschaltend, 2, 8", buttonX,
          buttonY - 20, 340);
    int const iconIds[5] = {IDI_SIGNAL, IDI_LOK, IDI_WEICHE, IDI_SIGNAL, IDI_LOK};
    for (int k = 0; k < 5; ++k) {
        buttons.emplace_back(
            new WndButton(instance, parent, static_cast<unsigned short>(buttonId + k),
                          buttonX + k * buttonStep, buttonY, IDB_BUTTON_UP, IDB_BUTTON_DOWN,
                          IDB_BUTTON_HILITE, IDB_BUTTON_DOWN_HILITE, buttonFlags[k]));
        buttons[k]->setImageLists(&icons, nullptr);
        buttons[k]->setImageIndex(icons.findIconId(iconIds[k]));
    }

    label(parent, "Bildlisten (WndBmpList), LZ-Datei, Maske", lampX, lampY - 26, 330);
    lamp.reset(new WndBmpList(instance, parent, lampId, lampX, lampY, IDB_LAMP_OFF, IDB_LAMP_GREEN,
                              IDB_LAMP_RED));
    lamp->select(1);
    photo.reset(new WndBmpList(parent, photoX, photoY, 66, 50, true));
    loadPhoto();
    logo.reset(new MaskedPicture(parent, logoX, logoY, logoSize, IDB_LOGO, IDB_LOGO_MASK));

    label(parent, "Fensterform aus einer Bitmap (Bitmap::toRegion)", shapeX, shapeY - 20, 330);
    shape.reset(new WndBmpList(instance, parent, shapeId, shapeX, shapeY, IDB_SHAPE));
    // The window owns the region from here on.
    shape->setWindowRgn(Bitmap::toRegion(instance, IDB_SHAPE), TRUE);
}

BitmapSection::~BitmapSection()
{
}

void BitmapSection::label(Window* parent, char const* text, int x, int y, int width)
{
    HWND control = CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, x,
                                   y, width, 16, parent->getHwnd(), nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
}

// The picture lies beside the program as foto.bmp_, packed by mscompress at build time.
void BitmapSection::loadPhoto()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    while (length > 0 && path[length - 1] != '\\')
        --length;
    path[length] = '\0';
    String name = String(path) + "foto.bmp_";
    try {
        photo->setBitmap(new Bitmap(name));
    } catch (Exception& e) {
        // The white area stays; the reason goes to the debugger.
        OutputDebugStringA(e.what());
    }
}
