#ifndef LINKEDLISTENUMERATION_H
#define LINKEDLISTENUMERATION_H

#include "LibApi.h"
#include "LinkedList.h"

// Walks a LinkedList with a cursor of its own. The list tells it when the element under that
// cursor is removed; the cursor then moves on to the removed element's successor.
class LIBAPI LinkedListEnumeration
{
    friend class LinkedList;

public:
    LinkedListEnumeration(LinkedList* list);
    ~LinkedListEnumeration();

    bool hasMoreAfter();
    void* next();
    // Puts the list's own cursor where this enumeration stands, so that the list's remove()
    // or replace() acts on that element.
    void synchronisieren();

private:
    LinkedListEnumeration(LinkedListEnumeration const&) = delete;
    LinkedListEnumeration& operator=(LinkedListEnumeration const&) = delete;

    void notifyRemove(LINK* removed);

    LinkedList* list;
    LINK* cursor;
};

#endif
