// The containers' growth steps, removal order and the edges that once dangled or failed to grow.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <vector>

#include "child_process.h"
#include "zel_hashtable.h"
#include "zel_list.h"
#include "zel_sorted_vector.h"
#include "zel_vector.h"

namespace {

int items[20];
typedef ZEL_SortedVector<int32_t, lowerINT> IntVector;

template <class V>
std::vector<void*> contents(V& v) {
  std::vector<void*> out;
  for (int i = 0; i < v.getSize(); ++i) out.push_back(v.elementAt(i));
  return out;
}

std::vector<void*> walk(ZEL_List<int>& list) {
  std::vector<void*> out;
  list.init();
  while (int* x = list.next()) out.push_back(x);
  return out;
}

}  // namespace

TEST(VectorTest, GrowthRemovalAndRefusedIndexes) {
  ZEL_Vector<int> v;
  for (int i = 0; i < 11; ++i) EXPECT_EQ(v.add(&items[i]), i);
  EXPECT_EQ(v.getCapacity(), 15);  // 10, then steps of 5
  EXPECT_EQ(v.elementAt(-1), nullptr);
  EXPECT_EQ(v.remove(11), nullptr);
  EXPECT_EQ(v.remove(&items[19]), nullptr);
  v.empty();
  for (int* p : {&items[0], static_cast<int*>(nullptr), &items[1], &items[0]}) v.add(p);
  EXPECT_EQ(v.remove(&items[0]), &items[0]);  // the first copy, and the gap closes
  EXPECT_EQ(contents(v), (std::vector<void*>{nullptr, &items[1], &items[0]}));
  EXPECT_EQ(v.getCapacity(), 15);  // never shrinks
  v.init(-4, 0);  // no slots, no step: each add grows by one
  for (int i = 0; i < 2; ++i) v.add(&items[i]);
  EXPECT_EQ(contents(v), (std::vector<void*>{&items[0], &items[1]}));
}

#if !defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator does not honour an address-space limit.
TEST(VectorTest, FailedAllocationEndsWithTheContainerMessage) {
  const ChildResult r = runInChild([] {
    const rlim_t limit = 256u << 20;
    const rlimit rl = {limit, limit};
    setrlimit(RLIMIT_AS, &rl);
    ZEL_Vector<int> v;
    v.init(1 << 30, 5);  // 8 GiB of slots
  });
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, "pas assez de memoire pour allouer le vecteur ");
}
#endif

TEST(SortedVectorTest, OrderGrowthAndSpoiledKeys) {
  std::vector<int32_t> keys(1000, 5);
  IntVector v;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(v.add(&keys[i]), 0);  // equal keys: newest first
  EXPECT_EQ(contents(v), (std::vector<void*>{&keys[2], &keys[1], &keys[0]}));
  for (int i = 3; i < 999; ++i) v.add(&keys[i]);
  EXPECT_EQ(v.getCapacity(), 1000);  // one slot left free
  keys[999] = -1;
  EXPECT_EQ(v.add(&keys[999]), 0);
  EXPECT_EQ(v.getCapacity(), 1500);
  int32_t other = 5;
  EXPECT_EQ(v.remove(&other), nullptr);  // removal is by identity
  EXPECT_EQ(v.remove(&keys[2]), &keys[2]);
  keys[1] = 9;  // a key changes without a re-sort: scanning from the end
  keys[0] = 0;  // finds the last key below
  EXPECT_EQ(v.recherche(&other), 999);
  for (int capacity : {-1, 0, 1}) {
    IntVector tiny;
    tiny.init(capacity, 0);
    for (int32_t* k : {&keys[1], &keys[0], &keys[999]}) tiny.add(k);
    EXPECT_EQ(contents(tiny), (std::vector<void*>{&keys[999], &keys[0], &keys[1]}));
  }
}

TEST(HashtableTest, CollidingValuesRemovedFromTheMiddleAndTheEnd) {
  const int buckets = ZEL_Hashtable<int, char>::DEFAULT_BUCKETS;
  std::vector<char> storage(3 * buckets + 1);
  char* values[3] = {&storage[0], &storage[buckets], &storage[3 * buckets]};
  int keys[3] = {0, 1, 2};
  for (int n : {buckets, 1, -3}) {
    ZEL_Hashtable<int, char> table;
    table.init(n);
    for (int i = 0; i < 3; ++i) table.addValueWhereKey(&keys[i], values[i]);
    EXPECT_EQ(table.removeValueWhereKey(values[1]), 1);  // the middle
    EXPECT_EQ(table.removeValueWhereKey(values[2]), 1);  // the tail
    EXPECT_EQ(table.removeValueWhereKey(values[2]), 0);
    EXPECT_EQ(table.getValueWhereKey(values[2]), nullptr);
    table.addValueWhereKey(&keys[1], values[1]);  // behind the moved tail
    EXPECT_EQ(table.getValueWhereKey(values[1]), &keys[1]);
    table.addValueWhereKey(&keys[2], values[0]);  // hidden behind the first entry
    EXPECT_EQ(table.removeValueWhereKey(values[0]), 1);
    EXPECT_EQ(table.getValueWhereKey(values[0]), &keys[2]);
  }
}

TEST(ListTest, RemoveCurrentAtHeadMiddleTailAndPastTheEnd) {
  ZEL_List<int> list;
  EXPECT_TRUE(list.removeCurrent());  // nothing to remove, still true
  for (int i = 0; i < 4; ++i) list.addAtEnd(&items[i]);
  list.init();
  EXPECT_TRUE(list.removeCurrent());  // the head, twice
  EXPECT_TRUE(list.removeCurrent());
  EXPECT_EQ(list.getCurrent(), &items[2]);
  list.next();
  EXPECT_TRUE(list.removeCurrent());  // the tail
  EXPECT_EQ(list.getCurrent(), nullptr);
  list.addAtEnd(&items[4]);  // after the new tail
  EXPECT_EQ(walk(list), (std::vector<void*>{&items[2], &items[4]}));
  list.init();
  while (list.next() != nullptr) {
  }
  EXPECT_FALSE(list.removeCurrent());  // past the end
  list.init();
  while (!list.isEmpty()) list.removeCurrent();
  list.addAtEnd(&items[0]);
  EXPECT_EQ(walk(list), (std::vector<void*>{&items[0]}));
}
