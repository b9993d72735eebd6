#ifndef MAP_H
#define MAP_H

#include "LibApi.h"
#include "LinkedList.h"
#include "String.h"

// One entry of a Map: the map owns the item and its key, not the value.
struct MAP_ITEM
{
    String key;
    void* value;
};

// A dictionary with String keys, compared byte for byte (case-sensitive), in insertion order.
// Each operation holds the list's lock for its whole walk, so threads may share one map.
class LIBAPI Map : public LinkedList
{
public:
    Map();
    // Releases the items still in the map (the values stay the caller's).
    virtual ~Map();

    // Replaces the value of an equal key and returns the old one; else appends and returns null.
    void* put(String key, void* value);
    // null both for a missing key and for a stored null.
    void* get(String key);
    MAP_ITEM* find(String key);
    void* removeFirst();
    void* removeLast();
    // Releases every item (the values stay the caller's).
    void removeAll();
    unsigned int size();
};

#endif
