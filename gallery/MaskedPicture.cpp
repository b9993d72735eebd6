#include "MaskedPicture.h"

namespace
{
char const className[] = "ControlGallery MaskedPictureKlasse";
ATOM classAtom = 0;
}

MaskedPicture::MaskedPicture(Window* parent, int x, int y, int size, int bitmapId, int maskId)
    : picture(getMainInstance(), bitmapId, maskId)
{
    if (classAtom == 0)
        classAtom = registerClass(0, getMainInstance(), nullptr, LoadCursorA(nullptr, IDC_ARROW),
                                  nullptr, nullptr, className, nullptr);
    createWindowEx(0, className, nullptr, WS_CHILD | WS_VISIBLE, x, y, size, size,
                   parent->getHwnd(), nullptr);
}

MaskedPicture::~MaskedPicture()
{
    destroyWindow();
}

LRESULT MaskedPicture::notifyPaint(WPARAM, LPARAM)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(getHwnd(), &ps);
    if (dc == nullptr)
        return 0;
    RECT client;
    if (getClientRect(&client)) {
        HBRUSH stripes = CreateHatchBrush(HS_BDIAGONAL, RGB(160, 40, 40));
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (stripes != nullptr) {
            FillRect(dc, &client, stripes);
            DeleteObject(stripes);
        }
        POINT size = picture.getSize();
        picture.draw(dc, (client.right - size.x) / 2, (client.bottom - size.y) / 2);
    }
    EndPaint(getHwnd(), &ps);
    return 0;
}
