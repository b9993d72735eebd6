#include "LinkedListEnumeration.h"

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
    list->mutexLock();
    bool more = list->count != 0 && cursor != list->lastLink;
    list->mutexUnlock();
    return more;
}

void* LinkedListEnumeration::next()
{
    list->mutexLock();
    void* data = nullptr;
    if (list->count != 0) {
        cursor = (cursor && cursor->next) ? cursor->next : list->firstLink;
        data = cursor->data;
    }
    list->mutexUnlock();
    return data;
}

void LinkedListEnumeration::synchronisieren()
{
    list->mutexLock();
    list->cursor = cursor;
    list->mutexUnlock();
}

void LinkedListEnumeration::notifyRemove(LINK* removed)
{
    if (cursor == removed)
        cursor = removed->next;
}
