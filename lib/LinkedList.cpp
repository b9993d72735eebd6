#include "LinkedList.h"

#include "LinkedListEnumeration.h"
#include "MutexLock.h"

LinkedList::LinkedList()
{
    init(false);
}

LinkedList::LinkedList(bool withoutEnumerations)
{
    init(withoutEnumerations);
}

LinkedList::~LinkedList()
{
    delete enumerations;
    enumerations = nullptr;
    removeAll();
}

void LinkedList::init(bool withoutEnumerations)
{
    firstLink = nullptr;
    lastLink = nullptr;
    cursor = nullptr;
    count = 0;
    enumerations = withoutEnumerations ? nullptr : new LinkedList(true);
}

void LinkedList::link(LINK* element, LINK* prev, LINK* next)
{
    element->prev = prev;
    element->next = next;
    if (prev)
        prev->next = element;
    else
        firstLink = element;
    if (next)
        next->prev = element;
    else
        lastLink = element;
    cursor = element;
    ++count;
}

void LinkedList::insertAfter(void* p)
{
    MutexLock lock(*this);
    LINK* after = cursor ? cursor : lastLink;
    link(new LINK{nullptr, nullptr, p}, after, after ? after->next : nullptr);
}

void LinkedList::insertBefore(void* p)
{
    MutexLock lock(*this);
    LINK* before = cursor ? cursor : firstLink;
    link(new LINK{nullptr, nullptr, p}, before ? before->prev : nullptr, before);
}

void LinkedList::insertAfterLast(void* p)
{
    MutexLock lock(*this);
    last();
    insertAfter(p);
}

void LinkedList::insertBeforeFirst(void* p)
{
    MutexLock lock(*this);
    first();
    insertBefore(p);
}

void* LinkedList::first()
{
    MutexLock lock(*this);
    if (!firstLink)
        return nullptr;
    cursor = firstLink;
    return cursor->data;
}

void* LinkedList::last()
{
    MutexLock lock(*this);
    if (!lastLink)
        return nullptr;
    cursor = lastLink;
    return cursor->data;
}

void LinkedList::startEnumeration()
{
    cursor = nullptr;
}

bool LinkedList::hasMoreAfter()
{
    MutexLock lock(*this);
    return count != 0 && cursor != lastLink;
}

void* LinkedList::next()
{
    MutexLock lock(*this);
    if (count == 0)
        return nullptr;
    cursor = (cursor && cursor->next) ? cursor->next : firstLink;
    return cursor->data;
}

bool LinkedList::hasMoreBefore()
{
    MutexLock lock(*this);
    return count != 0 && cursor != firstLink;
}

void* LinkedList::before()
{
    MutexLock lock(*this);
    if (count == 0)
        return nullptr;
    cursor = (cursor && cursor->prev) ? cursor->prev : lastLink;
    return cursor->data;
}

unsigned int LinkedList::size()
{
    return count;
}

void* LinkedList::replace(void* p)
{
    MutexLock lock(*this);
    if (!cursor)
        return nullptr;
    void* old = cursor->data;
    cursor->data = p;
    return old;
}

bool LinkedList::find(void* p)
{
    if (!p)
        return false;
    MutexLock lock(*this);
    for (LINK* l = firstLink; l; l = l->next) {
        if (l->data == p) {
            cursor = l;
            return true;
        }
    }
    return false;
}

void* LinkedList::remove()
{
    MutexLock lock(*this);
    return cursor ? remove(cursor) : nullptr;
}

bool LinkedList::remove(void* p)
{
    MutexLock lock(*this);
    if (!find(p))
        return false;
    remove();
    return true;
}

void* LinkedList::removeFirst()
{
    MutexLock lock(*this);
    return firstLink ? remove(firstLink) : nullptr;
}

void* LinkedList::removeLast()
{
    MutexLock lock(*this);
    return lastLink ? remove(lastLink) : nullptr;
}

void LinkedList::removeAll()
{
    MutexLock lock(*this);
    while (count != 0)
        removeLast();
}

void* LinkedList::elementAt(long index)
{
    MutexLock lock(*this);
    if (index < 0 || static_cast<unsigned long>(index) >= count)
        return nullptr;
    LinkedListEnumeration walk(this);
    void* data = nullptr;
    for (long i = 0; i <= index; ++i)
        data = walk.next();
    return data;
}

void* LinkedList::remove(LINK* link)
{
    MutexLock lock(*this);
    if (enumerations) {
        MutexLock holdEnumerations(*enumerations);
        for (LINK* e = enumerations->firstLink; e; e = e->next)
            static_cast<LinkedListEnumeration*>(e->data)->notifyRemove(link);
    }
    if (link->prev)
        link->prev->next = link->next;
    else
        firstLink = link->next;
    if (link->next)
        link->next->prev = link->prev;
    else
        lastLink = link->prev;
    if (cursor == link)
        cursor = nullptr;
    void* data = link->data;
    delete link;
    --count;
    return data;
}
