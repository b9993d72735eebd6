#include "LinkedListEnumeration.h"

#include "MutexLock.h"

LinkedListEnumeration::LinkedListEnumeration(LinkedList* list) : list(list), cursor(nullptr)
{
    if (list->enumerations)
        list->enumerations->insertAfterLast(this);
}

LinkedListEnumeration::~LinkedListEnumeration()
{
    if (list->enumerations)
        list->enumerations->remove(static_cast<void*>(this));
}

bool LinkedListEnumeration::hasMoreAfter()
{
    MutexLock lock(*list);
    return list->count != 0 && cursor != list->lastLink;
}

void* LinkedListEnumeration::next()
{
    MutexLock lock(*list);
    if (list->count == 0)
        return nullptr;
    cursor = (cursor && cursor->next) ? cursor->next : list->firstLink;
    return cursor->data;
}

void LinkedListEnumeration::synchronisieren()
{
    MutexLock lock(*list);
    list->cursor = cursor;
}

void LinkedListEnumeration::notifyRemove(LINK* removed)
{
    if (cursor == removed)
        cursor = removed->next;
}
