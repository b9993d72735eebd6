#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "LinkedListEnumeration.h"
#include "MapEnumeration.h"

namespace
{

int a = 1, b = 2, c = 3, x = 4;
using Items = std::vector<void*>;

// The list's contents, walked through its own cursor.
Items contents(LinkedList& list)
{
    Items out;
    for (list.startEnumeration(); list.hasMoreAfter();)
        out.push_back(list.next());
    return out;
}

struct LinkedListAbcTest : testing::Test
{
    LinkedList list;
    void SetUp() override { refill(); }
    void refill()
    {
        list.removeAll();
        for (int* p : {&a, &b, &c})
            list.insertAfterLast(p);
    }
};

// Inserts, walks (under the list's lock) and removes its own elements; returns the faults seen.
DWORD WINAPI hammer(void* arg)
{
    LinkedList& list = *static_cast<LinkedList*>(arg);
    std::vector<int> values(25);
    DWORD faults = 0;
    for (int round = 0; round < 20; ++round) {
        for (int& v : values)
            list.insertAfterLast(&v);
        list.mutexLock();
        faults += contents(list).size() != list.size();
        list.mutexUnlock();
        for (int& v : values)
            faults += !list.remove(&v);
    }
    return faults;
}

}

TEST_F(LinkedListAbcTest, CursorWrapsAroundAndStaysPutOnElementAtAndFailedFind)
{
    list.startEnumeration();
    EXPECT_EQ((Items{&a, &b, &c}), (Items{list.next(), list.next(), list.next()}));
    EXPECT_FALSE(list.hasMoreAfter());
    EXPECT_EQ(&a, list.next());
    list.startEnumeration();
    EXPECT_EQ((Items{&c, &b, &a}), (Items{list.before(), list.before(), list.before()}));
    EXPECT_FALSE(list.hasMoreBefore());
    EXPECT_EQ(&c, list.before());

    list.find(&b);
    EXPECT_EQ((Items{&a, &c, nullptr, nullptr}),
              (Items{list.elementAt(0), list.elementAt(2), list.elementAt(3), list.elementAt(-1)}));
    EXPECT_FALSE(list.find(&x));
    EXPECT_EQ(&c, list.next());        // still after b
    EXPECT_EQ(&c, list.remove());      // takes the cursor's element
    EXPECT_EQ(nullptr, list.remove()); // the cursor went with it
    EXPECT_EQ(&a, list.next());
    EXPECT_FALSE(list.remove(&x));
    EXPECT_TRUE(list.remove(&a));
    EXPECT_EQ((Items{&b}), contents(list));
}

TEST_F(LinkedListAbcTest, InsertsPlaceAroundTheCursorAndMoveIt)
{
    // Without a cursor (after startEnumeration) insertAfter appends and insertBefore prepends.
    struct Row
    {
        int* cursor;
        bool after;
        Items want;
    } const rows[] = {
        {nullptr, true, {&a, &b, &c, &x}},
        {nullptr, false, {&x, &a, &b, &c}},
        {&b, true, {&a, &b, &x, &c}},
        {&b, false, {&a, &x, &b, &c}},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(std::string(row.cursor ? "on b, " : "no cursor, ") +
                     (row.after ? "after" : "before"));
        refill();
        row.cursor ? (void)list.find(row.cursor) : list.startEnumeration();
        row.after ? list.insertAfter(&x) : list.insertBefore(&x);
        EXPECT_EQ(&x, list.replace(&x)); // the new element is the cursor
        EXPECT_EQ(row.want, contents(list));
    }
    list.insertBeforeFirst(&b);
    EXPECT_EQ(&b, list.first());
    list.insertAfterLast(nullptr);
    list.removeAll(); // null data must not end it early
    EXPECT_EQ(0u, list.size());
}

TEST_F(LinkedListAbcTest, EnumerationHasItsOwnCursorAndIsToldOfRemovals)
{
    LinkedListEnumeration e(&list), onLast(&list);
    list.find(&c);
    EXPECT_EQ((Items{&a, &b, &c, &a}), (Items{e.next(), e.next(), e.next(), e.next()})); // wraps
    EXPECT_FALSE(list.hasMoreAfter()); // the list's own cursor is still on c
    e.next();                          // on b
    onLast.next(), onLast.next(), onLast.next();
    list.remove(&b);
    EXPECT_FALSE(e.hasMoreAfter()); // moved on to c, the last
    list.remove(&c);
    EXPECT_EQ(&a, onLast.next()); // no successor: starts again at the first
    list.insertAfterLast(&b);     // the list's cursor goes to b
    EXPECT_EQ(&a, e.next());
    e.synchronisieren();
    EXPECT_EQ(&a, list.remove());
}

TEST(LinkedListTest, IsItsOwnReentrantMutexAndStaysWholeUnderTwoThreads)
{
    LinkedList list;
    list.mutexLock();
    list.mutexLock();
    list.mutexUnlock(); // still owned once: the threads must wait
    HANDLE threads[2] = {CreateThread(nullptr, 0, hammer, &list, 0, nullptr),
                         CreateThread(nullptr, 0, hammer, &list, 0, nullptr)};
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForMultipleObjects(2, threads, FALSE, 200));
    list.mutexUnlock();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, threads, TRUE, 60000));
    for (HANDLE t : threads) {
        DWORD faults = 99;
        EXPECT_TRUE(GetExitCodeThread(t, &faults) && faults == 0) << faults << " faults";
        CloseHandle(t);
    }
    for (void* got : {list.first(), list.last(), list.next(), list.before(), list.remove(),
                      list.removeFirst(), list.removeLast(), list.replace(&a), list.elementAt(0)})
        EXPECT_EQ(nullptr, got); // and nothing else breaks on the empty list
    EXPECT_FALSE(list.hasMoreAfter() || list.hasMoreBefore() || list.find(nullptr));
}

TEST(MapTest, PutReplacesKeysAreCaseSensitiveInInsertionOrder)
{
    Map map;
    EXPECT_EQ(nullptr, map.put("k1", &a));
    EXPECT_EQ(&a, map.put("k1", &b));
    map.put("Ä", &c);
    map.put("k3", &x);
    EXPECT_EQ((Items{&b, nullptr, &c, nullptr}),
              (Items{map.get("k1"), map.get("K1"), map.get("Ä"), map.get("ä")}));
    EXPECT_EQ(&c, map.find("Ä") ? map.find("Ä")->value : nullptr);
    MapEnumeration e(&map); // each call steps on by one item
    EXPECT_STREQ("k1", e.nextKey().getChars());
    EXPECT_EQ(&c, e.nextValue());
    EXPECT_TRUE(e.hasMoreAfter());
    EXPECT_EQ((Items{&b, &x, nullptr}),
              (Items{map.removeFirst(), map.removeLast(), map.get("k1")}));
    EXPECT_EQ(1u, map.size());
}
