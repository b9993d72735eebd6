#ifndef LINKEDLIST_H
#define LINKEDLIST_H

#include "LibApi.h"
#include "Mutex.h"

class LinkedListEnumeration;

// One element of a LinkedList.
struct LINK
{
    LINK* next;
    LINK* prev;
    void* data;
};

// A doubly linked list of untyped pointers with a cursor of its own. The list is its own lock:
// every operation but startEnumeration and size holds it, and a walk of several calls is atomic
// only inside mutexLock/mutexUnlock. The list never owns what its elements point to.
class LIBAPI LinkedList : public Mutex
{
    friend class LinkedListEnumeration;

public:
    LinkedList();
    // true: no inner list of enumerations, which are then not told of removals.
    LinkedList(bool withoutEnumerations);
    virtual ~LinkedList();

    void insertAfter(void* p);
    void insertBefore(void* p);
    void insertAfterLast(void* p);
    void insertBeforeFirst(void* p);
    void* first();
    void* last();
    void startEnumeration();
    bool hasMoreAfter();
    void* next();
    bool hasMoreBefore();
    void* before();
    unsigned int size();
    void* replace(void* p);
    bool find(void* p);
    void* remove();
    bool remove(void* p);
    void* removeFirst();
    void* removeLast();
    void removeAll();
    void* elementAt(long index);

private:
    LinkedList(LinkedList const&) = delete;
    LinkedList& operator=(LinkedList const&) = delete;

    void* remove(LINK* link);
    void init(bool withoutEnumerations);
    void link(LINK* element, LINK* prev, LINK* next);

    LINK* firstLink;
    LINK* lastLink;
    LINK* cursor;
    unsigned int count;
    LinkedList* enumerations;
};

#endif
