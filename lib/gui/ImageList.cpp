#include "ImageList.h"

ImageList::ImageList(int cx, int cy, unsigned int flags, int initial, int grow)
    : handle(ImageList_Create(cx, cy, flags, initial, grow)), listComplete(false)
{
}

ImageList::~ImageList()
{
    if (handle != nullptr)
        ImageList_Destroy(handle);
}

int ImageList::addIcon(HINSTANCE instance, int iconId)
{
    // An icon from LoadIconA is shared by the system and is not destroyed here.
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(iconId));
    if (icon == nullptr)
        return -1;
    return ImageList_ReplaceIcon(handle, -1, icon);
}

int ImageList::addBitmap(HBITMAP bitmap)
{
    return ImageList_Add(handle, bitmap, nullptr);
}

bool ImageList::draw(int index, HDC dc, int x, int y)
{
    return ImageList_Draw(handle, index, dc, x, y, ILD_NORMAL) == TRUE;
}

bool ImageList::remove(int index)
{
    return ImageList_Remove(handle, index) != FALSE;
}

int ImageList::getImageCount()
{
    return ImageList_GetImageCount(handle);
}

POINT ImageList::getIconSize()
{
    int cx = 0, cy = 0;
    POINT size = {0, 0};
    if (ImageList_GetIconSize(handle, &cx, &cy)) {
        size.x = cx;
        size.y = cy;
    }
    return size;
}

HIMAGELIST ImageList::getHandle()
{
    return handle;
}

void ImageList::setListComplet(bool complete)
{
    listComplete = complete;
}

bool ImageList::isListComplet()
{
    return listComplete;
}
