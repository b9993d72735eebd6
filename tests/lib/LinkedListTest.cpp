#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "LinkedList.h"
#include "LinkedListEnumeration.h"
#include "Map.h"
#include "MapEnumeration.h"

namespace {

int a = 1, b = 2, c = 3, x = 4;

// The list's contents, walked through its own cursor.
std::vector<void*> contents(LinkedList& list)
{
    std::vector<void*> out;
    list.startEnumeration();
    while (list.hasMoreAfter())
        out.push_back(list.next());
    return out;
}

struct LinkedListAbcTest : testing::Test {
    LinkedList list;
    void SetUp() override
    {
        list.insertAfterLast(&a);
        list.insertAfterLast(&b);
        list.insertAfterLast(&c);
    }
};

}

TEST(LinkedListTest, EmptyListYieldsNullEverywhere)
{
    LinkedList list;
    EXPECT_EQ(nullptr, list.first());
    EXPECT_EQ(nullptr, list.last());
    EXPECT_EQ(nullptr, list.next());
    EXPECT_EQ(nullptr, list.before());
    EXPECT_EQ(nullptr, list.remove());
    EXPECT_EQ(nullptr, list.removeFirst());
    EXPECT_EQ(nullptr, list.removeLast());
    EXPECT_EQ(nullptr, list.replace(&a));
    EXPECT_EQ(nullptr, list.elementAt(0));
    EXPECT_FALSE(list.hasMoreAfter());
    EXPECT_FALSE(list.hasMoreBefore());
    EXPECT_FALSE(list.find(nullptr));
    EXPECT_EQ(0u, list.size());
}

TEST_F(LinkedListAbcTest, NextAndBeforeWrapAround)
{
    list.startEnumeration();
    EXPECT_TRUE(list.hasMoreAfter());
    EXPECT_EQ(&a, list.next());
    EXPECT_EQ(&b, list.next());
    EXPECT_EQ(&c, list.next());
    EXPECT_FALSE(list.hasMoreAfter());
    EXPECT_EQ(&a, list.next());  // wraps to the first

    list.startEnumeration();
    EXPECT_TRUE(list.hasMoreBefore());
    EXPECT_EQ(&c, list.before());  // from nothing to the last
    EXPECT_EQ(&b, list.before());
    EXPECT_EQ(&a, list.before());
    EXPECT_FALSE(list.hasMoreBefore());
    EXPECT_EQ(&c, list.before());  // wraps to the last
}

TEST_F(LinkedListAbcTest, InsertsPlaceAroundTheCursorAndMoveIt)
{
    list.startEnumeration();
    list.insertAfter(&x);  // no cursor: appends
    EXPECT_EQ((std::vector<void*>{&a, &b, &c, &x}), contents(list));
    list.remove(&x);

    list.startEnumeration();
    list.insertBefore(&x);  // no cursor: prepends
    EXPECT_EQ((std::vector<void*>{&x, &a, &b, &c}), contents(list));
    list.remove(&x);

    list.find(&b);
    list.insertAfter(&x);
    EXPECT_EQ(&x, list.replace(&x));  // the new element is the cursor
    EXPECT_EQ((std::vector<void*>{&a, &b, &x, &c}), contents(list));
    list.remove(&x);

    list.find(&b);
    list.insertBefore(&x);
    EXPECT_EQ(&b, list.next());  // the cursor was on x
    EXPECT_EQ((std::vector<void*>{&a, &x, &b, &c}), contents(list));

    LinkedList one;
    one.insertAfter(&a);
    EXPECT_EQ(&a, one.first());
    EXPECT_EQ(&a, one.last());
    one.insertBeforeFirst(&x);
    EXPECT_EQ((std::vector<void*>{&x, &a}), contents(one));
}

TEST_F(LinkedListAbcTest, FindRestoresCursorWhenMissingAndRemoveTakesFoundElement)
{
    list.find(&b);
    EXPECT_FALSE(list.find(&x));
    EXPECT_EQ(&c, list.next());  // still after b

    EXPECT_TRUE(list.find(&c));
    EXPECT_EQ(&c, list.remove());
    EXPECT_EQ((std::vector<void*>{&a, &b}), contents(list));

    EXPECT_FALSE(list.remove(&x));
    EXPECT_EQ(2u, list.size());
    EXPECT_TRUE(list.remove(&a));
    EXPECT_EQ((std::vector<void*>{&b}), contents(list));
}

TEST_F(LinkedListAbcTest, RemovingTheCursorRestartsTheWalk)
{
    list.find(&b);
    list.remove();
    EXPECT_EQ(nullptr, list.remove());  // no cursor any more
    EXPECT_EQ(&a, list.next());
    EXPECT_EQ(&c, list.removeLast());
    EXPECT_EQ(&a, list.removeFirst());
    EXPECT_EQ(0u, list.size());
}

TEST_F(LinkedListAbcTest, ElementAtDoesNotMoveTheCursor)
{
    list.find(&b);
    EXPECT_EQ(&a, list.elementAt(0));
    EXPECT_EQ(&c, list.elementAt(2));
    EXPECT_EQ(nullptr, list.elementAt(3));
    EXPECT_EQ(nullptr, list.elementAt(-1));
    EXPECT_EQ(&c, list.next());
}

TEST_F(LinkedListAbcTest, RemoveAllEmptiesEvenWithNullData)
{
    list.insertAfterLast(nullptr);
    list.removeAll();
    EXPECT_EQ(0u, list.size());
    EXPECT_EQ(nullptr, list.first());
}

TEST_F(LinkedListAbcTest, EnumerationWalksWithItsOwnCursor)
{
    LinkedListEnumeration e(&list);
    list.find(&c);
    EXPECT_EQ(&a, e.next());
    EXPECT_EQ(&b, e.next());
    EXPECT_TRUE(e.hasMoreAfter());
    EXPECT_EQ(&c, e.next());
    EXPECT_FALSE(e.hasMoreAfter());
    EXPECT_EQ(&a, e.next());  // wraps
    EXPECT_FALSE(list.hasMoreAfter());  // the list's own cursor is still on c
}

TEST_F(LinkedListAbcTest, EnumerationToldOfRemovalMovesToSuccessor)
{
    LinkedListEnumeration e(&list);
    e.next();
    e.next();  // on b
    list.remove(&b);
    EXPECT_FALSE(e.hasMoreAfter());  // moved on to c, the last
    EXPECT_EQ(&a, e.next());

    LinkedListEnumeration onLast(&list);
    onLast.next();
    onLast.next();  // on c, the last
    list.remove(&c);
    EXPECT_EQ(&a, onLast.next());  // successor was null: starts again at the first
}

TEST_F(LinkedListAbcTest, SynchronisierenLetsTheListActOnTheEnumeratedElement)
{
    LinkedListEnumeration e(&list);
    e.next();
    e.next();
    e.synchronisieren();
    EXPECT_EQ(&b, list.remove());
    EXPECT_EQ((std::vector<void*>{&a, &c}), contents(list));
}

TEST(LinkedListTest, ListWithoutInnerListDoesNotTellEnumerations)
{
    LinkedList list(true);
    list.insertAfterLast(&a);
    list.insertAfterLast(&b);
    LinkedListEnumeration e(&list);
    EXPECT_EQ(&a, e.next());
    list.insertAfterLast(&c);
    EXPECT_EQ(&b, list.elementAt(1));
    EXPECT_EQ(3u, list.size());
}

namespace {

struct Hammer {
    LinkedList* list;
    int base;
    bool ok;
};

// Inserts, walks and removes its own elements; walks hold the list's lock.
DWORD WINAPI hammer(void* arg)
{
    Hammer* h = static_cast<Hammer*>(arg);
    std::vector<int> values(25);
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 25; ++i) {
            values[i] = h->base + i;
            h->list->insertAfterLast(&values[i]);
        }
        h->list->mutexLock();
        unsigned int seen = 0;
        h->list->startEnumeration();
        while (h->list->hasMoreAfter()) {
            h->list->next();
            ++seen;
        }
        if (seen != h->list->size())
            h->ok = false;
        h->list->mutexUnlock();
        for (int i = 0; i < 25; ++i)
            if (!h->list->remove(&values[i]))
                h->ok = false;
    }
    return 0;
}

}

TEST(LinkedListTest, TwoThreadsHammeringOneListLeaveItConsistent)
{
    LinkedList list;
    Hammer one{&list, 0, true}, two{&list, 1000, true};
    HANDLE threads[2] = {CreateThread(nullptr, 0, hammer, &one, 0, nullptr),
                         CreateThread(nullptr, 0, hammer, &two, 0, nullptr)};
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, threads, TRUE, 60000));
    CloseHandle(threads[0]);
    CloseHandle(threads[1]);
    EXPECT_TRUE(one.ok);
    EXPECT_TRUE(two.ok);
    EXPECT_EQ(0u, list.size());
    EXPECT_EQ(nullptr, list.first());
    EXPECT_EQ(nullptr, list.last());
}

TEST(MutexTest, IsReentrantForItsOwner)
{
    Mutex m;
    m.mutexLock();
    m.mutexLock();
    m.mutexUnlock();
    // Still owned once: another thread must not get it yet.
    struct Probe {
        static DWORD WINAPI tryLock(void* arg)
        {
            Mutex* mutex = static_cast<Mutex*>(arg);
            mutex->mutexLock();
            mutex->mutexUnlock();
            return 0;
        }
    };
    HANDLE t = CreateThread(nullptr, 0, Probe::tryLock, &m, 0, nullptr);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(t, 200));
    m.mutexUnlock();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t, 5000));
    CloseHandle(t);
}

TEST(MapTest, PutReplacesGetIsCaseSensitive)
{
    Map map;
    EXPECT_EQ(nullptr, map.put("a", &a));
    EXPECT_EQ(&a, map.put("a", &b));
    EXPECT_EQ(1u, map.size());
    EXPECT_EQ(&b, map.get("a"));
    EXPECT_EQ(nullptr, map.get("A"));
    EXPECT_EQ(nullptr, map.find("A"));
    ASSERT_NE(nullptr, map.find("a"));
    EXPECT_EQ(0, map.find("a")->key != String("a"));

    map.put("Ä", &c);
    EXPECT_EQ(&c, map.get("Ä"));
    EXPECT_EQ(nullptr, map.get("ä"));
}

TEST(MapTest, RemoveFirstAndLastReturnValuesInInsertionOrder)
{
    Map map;
    map.put("eins", &a);
    map.put("zwei", &b);
    map.put("drei", &c);
    EXPECT_EQ(&a, map.removeFirst());
    EXPECT_EQ(&c, map.removeLast());
    EXPECT_EQ(&b, map.get("zwei"));
    EXPECT_EQ(nullptr, map.get("eins"));
    EXPECT_EQ(&b, map.removeLast());
    EXPECT_EQ(nullptr, map.removeLast());
    EXPECT_EQ(0u, map.size());
}

TEST(MapTest, EnumerationStepsOnceForKeyAndOnceForValue)
{
    Map map;
    map.put("k1", &a);
    map.put("k2", &b);
    MapEnumeration e(&map);
    EXPECT_TRUE(e.hasMoreAfter());
    EXPECT_STREQ("k1", e.nextKey().getChars());
    EXPECT_EQ(&b, e.nextValue());
    EXPECT_FALSE(e.hasMoreAfter());
}
