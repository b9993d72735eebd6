#include "LinkedList.h"

#include "LinkedListEnumeration.h"

namespace {

// Holds a list's (re-entrant) mutex for one operation.
class Hold
{
public:
    explicit Hold(Mutex& mutex) : mutex(mutex) { mutex.mutexLock(); }
    ~Hold() { mutex.mutexUnlock(); }

private:
    Mutex& mutex;
};

}

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
    Hold hold(*this);
    LINK* after = cursor ? cursor : lastLink;
    link(new LINK{nullptr, nullptr, p}, after, after ? after->next : nullptr);
}

void LinkedList::insertBefore(void* p)
{
    Hold hold(*this);
    LINK* before = cursor ? cursor : firstLink;
    link(new LINK{nullptr, nullptr, p}, before ? before->prev : nullptr, before);
}

void LinkedList::insertAfterLast(void* p)
{
    Hold hold(*this);
    last();
    insertAfter(p);
}

void LinkedList::insertBeforeFirst(void* p)
{
    Hold hold(*this);
    first();
    insertBefore(p);
}

void* LinkedList::first()
{
    Hold hold(*this);
    if (!firstLink)
        return nullptr;
    cursor = firstLink;
    return cursor->data;
}

void* LinkedList::last()
{
    Hold hold(*this);
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
    Hold hold(*this);
    return count != 0 && cursor != lastLink;
}

void* LinkedList::next()
{
    Hold hold(*this);
    if (count == 0)
        return nullptr;
    cursor = (cursor && cursor->next) ? cursor->next : firstLink;
    return cursor->data;
}

bool LinkedList::hasMoreBefore()
{
    Hold hold(*this);
    return count != 0 && cursor != firstLink;
}

void* LinkedList::before()
{
    Hold hold(*this);
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
    Hold hold(*this);
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
    Hold hold(*this);
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
    Hold hold(*this);
    return cursor ? remove(cursor) : nullptr;
}

bool LinkedList::remove(void* p)
{
    Hold hold(*this);
    if (!find(p))
        return false;
    remove();
    return true;
}

void* LinkedList::removeFirst()
{
    Hold hold(*this);
    return firstLink ? remove(firstLink) : nullptr;
}

void* LinkedList::removeLast()
{
    Hold hold(*this);
    return lastLink ? remove(lastLink) : nullptr;
}

void LinkedList::removeAll()
{
    Hold hold(*this);
    while (count != 0)
        removeLast();
}

void* LinkedList::elementAt(long index)
{
    Hold hold(*this);
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
    Hold hold(*this);
    if (enumerations) {
        Hold holdEnumerations(*enumerations);
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
