#include "IconList.h"

#include "MutexLock.h"

namespace
{
struct IconRecord
{
    int iconId;
    String text;
};
} // namespace

IconList::IconList(int cx, int cy, unsigned int flags, int initial, int grow)
    : ImageList(cx, cy, flags, initial, grow), LinkedList()
{
}

IconList::~IconList()
{
    while (size() > 0)
        delete static_cast<IconRecord*>(removeLast());
}

int IconList::addIcon(HINSTANCE instance, int iconId, String text)
{
    IconRecord* record = new IconRecord{iconId, text};
    insertAfterLast(record);
    int index = ImageList::addIcon(instance, iconId);
    // A record without its image would shift every later record against its image.
    if (index < 0)
        delete static_cast<IconRecord*>(removeLast());
    return index;
}

int IconList::addIcon(HINSTANCE instance, int iconId)
{
    return addIcon(instance, iconId, String());
}

String IconList::getText(int index)
{
    IconRecord* record = static_cast<IconRecord*>(elementAt(index));
    return record != nullptr ? record->text : String("Icon ohne Text");
}

int IconList::getIconId(int index)
{
    IconRecord* record = static_cast<IconRecord*>(elementAt(index));
    return record != nullptr ? record->iconId : 0;
}

int IconList::findIconId(int iconId)
{
    MutexLock lock(*this);
    int count = static_cast<int>(size());
    for (int i = 0; i < count; ++i)
        if (static_cast<IconRecord*>(elementAt(i))->iconId == iconId)
            return i;
    return count;
}
