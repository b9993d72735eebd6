#include "Map.h"

#include "LinkedListEnumeration.h"
#include "MutexLock.h"

Map::Map()
{
}

Map::~Map()
{
    removeAll();
}

void* Map::put(String key, void* value)
{
    // One lock for the search and the append: two puts of one key must not both append.
    MutexLock lock(*this);
    MAP_ITEM* item = find(key);
    if (item) {
        void* old = item->value;
        item->value = value;
        return old;
    }
    insertAfterLast(new MAP_ITEM{key, value});
    return nullptr;
}

void* Map::get(String key)
{
    MutexLock lock(*this);
    MAP_ITEM* item = find(key);
    return item ? item->value : nullptr;
}

MAP_ITEM* Map::find(String key)
{
    MutexLock lock(*this);
    LinkedListEnumeration walk(this);
    while (walk.hasMoreAfter()) {
        MAP_ITEM* item = static_cast<MAP_ITEM*>(walk.next());
        if (item->key == key)
            return item;
    }
    return nullptr;
}

static void* release(void* element)
{
    MAP_ITEM* item = static_cast<MAP_ITEM*>(element);
    if (!item)
        return nullptr;
    void* value = item->value;
    delete item;
    return value;
}

void* Map::removeFirst()
{
    return release(LinkedList::removeFirst());
}

void* Map::removeLast()
{
    return release(LinkedList::removeLast());
}

void Map::removeAll()
{
    MutexLock lock(*this);
    while (LinkedList::size() != 0)
        removeFirst();
}

unsigned int Map::size()
{
    return LinkedList::size();
}
