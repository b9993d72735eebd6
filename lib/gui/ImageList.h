#ifndef IMAGELIST_H
#define IMAGELIST_H

#include <windows.h>
#include <commctrl.h>

#include "LibApi.h"

// One image list of the common controls: equally sized icons or bitmaps, drawn by index.
class LIBAPI ImageList
{
public:
    // The arguments of ImageList_Create (flags such as ILC_COLOR24 | ILC_MASK).
    ImageList(int cx, int cy, unsigned int flags, int initial, int grow);
    virtual ~ImageList();

    // The new image's index, -1 when the icon cannot be loaded or added.
    int addIcon(HINSTANCE instance, int iconId);
    // Without a mask; the index of the first new image, -1 on failure.
    int addBitmap(HBITMAP bitmap);
    bool draw(int index, HDC dc, int x, int y);
    bool remove(int index);
    int getImageCount();
    POINT getIconSize();
    HIMAGELIST getHandle();
    // A flag kept for the user of the list.
    void setListComplet(bool complete);
    bool isListComplet();

private:
    ImageList(ImageList const&) = delete;
    ImageList& operator=(ImageList const&) = delete;

    HIMAGELIST handle;
    bool listComplete;
};

#endif
