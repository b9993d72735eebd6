#ifndef MAPENUMERATION_H
#define MAPENUMERATION_H

#include "LibApi.h"
#include "LinkedListEnumeration.h"
#include "Map.h"

// Walks a Map. nextKey() and nextValue() each step on by one item: they do not give the key
// and the value of the same item.
class LIBAPI MapEnumeration
{
public:
    MapEnumeration(Map* map);
    ~MapEnumeration();

    bool hasMoreAfter();
    String nextKey();
    void* nextValue();

private:
    LinkedListEnumeration walk;
};

#endif
