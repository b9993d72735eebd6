#ifndef ICONLIST_H
#define ICONLIST_H

#include "ImageList.h"
#include "LinkedList.h"
#include "String.h"

// An image list of icons that remembers each icon's resource id and a text, so that a program
// can look icons up by id and show their names. The list holds one record per icon, in the
// order of the images, as long as icons are only added.
class LIBAPI IconList : public ImageList, public LinkedList
{
public:
    IconList(int cx, int cy, unsigned int flags, int initial, int grow);
    virtual ~IconList();

    // The image index, -1 when the icon cannot be loaded (then no record is kept either).
    int addIcon(HINSTANCE instance, int iconId, String text);
    int addIcon(HINSTANCE instance, int iconId);
    // "Icon ohne Text" when no icon stands at the index.
    String getText(int index);
    // 0 when no icon stands at the index.
    int getIconId(int index);
    // The index of the first icon with this id; the number of icons when there is none.
    int findIconId(int iconId);

    using ImageList::remove;
};

#endif
