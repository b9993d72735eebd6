#include "MapEnumeration.h"

MapEnumeration::MapEnumeration(Map* map) : walk(map)
{
}

MapEnumeration::~MapEnumeration()
{
}

bool MapEnumeration::hasMoreAfter()
{
    return walk.hasMoreAfter();
}

String MapEnumeration::nextKey()
{
    MAP_ITEM* item = static_cast<MAP_ITEM*>(walk.next());
    return item ? item->key : String();
}

void* MapEnumeration::nextValue()
{
    MAP_ITEM* item = static_cast<MAP_ITEM*>(walk.next());
    return item ? item->value : nullptr;
}
