// CLinkedList: linking at both ends and in the middle, and that values are
// never owned.
#include "core/CLinkedList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> valuesOf(const CLinkedList<int*>& list)
{
    std::vector<int> values;
    for (auto* node = list.first(); node != nullptr; node = node->next)
        values.push_back(*node->value);
    // Walking backwards must give the same sequence reversed.
    std::vector<int> backwards;
    for (auto* node = list.last(); node != nullptr; node = node->previous)
        backwards.insert(backwards.begin(), *node->value);
    EXPECT_EQ(values, backwards);
    EXPECT_EQ(int(values.size()), list.count());
    return values;
}

} // namespace

TEST(CLinkedList, AppendRemoveAndFind)
{
    int a = 1, b = 2, c = 3, d = 4;
    CLinkedList<int*> list;
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.first(), nullptr);
    EXPECT_EQ(list.last(), nullptr);

    auto* nodeA = list.append(&a);
    auto* nodeB = list.append(&b);
    auto* nodeC = list.append(&c);
    list.append(&d);
    EXPECT_EQ(valuesOf(list), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(list.find(&c), nodeC);

    list.remove(nodeB);  // middle
    EXPECT_EQ(valuesOf(list), (std::vector<int>{1, 3, 4}));
    list.remove(nodeA);  // first
    EXPECT_EQ(valuesOf(list), (std::vector<int>{3, 4}));
    EXPECT_TRUE(list.removeValue(&d));  // last
    EXPECT_FALSE(list.removeValue(&d));
    EXPECT_EQ(valuesOf(list), (std::vector<int>{3}));
    EXPECT_EQ(list.first(), list.last());
    list.remove(nodeC);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.last(), nullptr);
    EXPECT_EQ(list.find(&a), nullptr);
}

TEST(CLinkedList, ClearFreesNodesButNotValues)
{
    auto* owned = new int(5);
    CLinkedList<int*> list;
    list.append(owned);
    list.append(owned);
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.first(), nullptr);
    EXPECT_EQ(*owned, 5);  // still alive; ASan would flag a double free below otherwise
    delete owned;

    CLinkedList<int*> source;
    int x = 9;
    source.append(&x);
    CLinkedList<int*> moved(std::move(source));
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(source.count(), 0);  // NOLINT(bugprone-use-after-move)
}
