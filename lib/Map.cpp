#include "Map.h"

#include "LinkedListEnumeration.h"

Map::Map()
{
}

Map::~Map()
{
    while (size() != 0)
        removeFirst();
}

void* Map::put(String key, void* value)
{
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
    MAP_ITEM* item = find(key);
    return item ? item->value : nullptr;
}

MAP_ITEM* Map::find(String key)
{
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

unsigned int Map::size()
{
    return LinkedList::size();
}
