#include "zel_vector.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "child_process.h"

namespace {
int items[20];
}

TEST(VectorTest, GrowsByIncrementKeepingOrder) {
  ZEL_Vector<int> v;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(v.add(&items[i]), i);
  EXPECT_EQ(v.getCapacity(), 10);
  EXPECT_EQ(v.add(&items[10]), 10);
  EXPECT_EQ(v.getCapacity(), 15);
  EXPECT_EQ(v.getSize(), 11);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(v.elementAt(i), &items[i]);
  for (int i = 11; i < 16; ++i) v.add(&items[i]);
  EXPECT_EQ(v.getCapacity(), 20);
}

TEST(VectorTest, DegenerateSizesStillGrow) {
  ZEL_Vector<int> v;
  v.init(0, 0);  // no slots, no step: each add grows by one
  for (int i = 0; i < 3; ++i) v.add(&items[i]);
  EXPECT_EQ(v.getSize(), 3);
  EXPECT_EQ(v.getCapacity(), 3);
  v.init(-4, -2);
  EXPECT_EQ(v.getCapacity(), 0);
  EXPECT_EQ(v.getSize(), 0);
  v.add(&items[0]);
  EXPECT_EQ(v.elementAt(0), &items[0]);
}

TEST(VectorTest, IndexesOutsideTheElementsAreRefused) {
  ZEL_Vector<int> v;
  EXPECT_EQ(v.remove(0), nullptr);
  EXPECT_EQ(v.remove(&items[0]), nullptr);
  EXPECT_EQ(v.getSize(), 0);
  v.add(&items[0]);
  v.add(&items[1]);
  EXPECT_EQ(v.elementAt(-1), nullptr);
  EXPECT_EQ(v.elementAt(2), nullptr);
  EXPECT_EQ(v.remove(-1), nullptr);
  EXPECT_EQ(v.remove(2), nullptr);
  EXPECT_EQ(v.getSize(), 2);
  EXPECT_EQ(v.elementAt(1), &items[1]);
}

TEST(VectorTest, RemovalClosesTheGapAndFindsTheFirstCopy) {
  ZEL_Vector<int> v;
  v.add(&items[0]);
  v.add(nullptr);
  v.add(&items[1]);
  v.add(&items[0]);
  v.add(&items[2]);
  EXPECT_EQ(v.remove(&items[0]), &items[0]);  // index 0, not 3
  ASSERT_EQ(v.getSize(), 4);
  EXPECT_EQ(v.elementAt(0), nullptr);
  EXPECT_EQ(v.elementAt(2), &items[0]);
  EXPECT_EQ(v.remove(1), &items[1]);
  EXPECT_EQ(v.elementAt(1), &items[0]);
  EXPECT_EQ(v.elementAt(2), &items[2]);
  EXPECT_EQ(v.remove(&items[0]), &items[0]);
  EXPECT_EQ(v.remove(&items[0]), nullptr);
  EXPECT_EQ(v.getSize(), 2);
  v.empty();
  EXPECT_EQ(v.getSize(), 0);
  EXPECT_EQ(v.getCapacity(), 10);  // never shrinks
  EXPECT_EQ(items[0], 0);              // elements are left alone
}

#if !defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator does not honour an address-space limit.
TEST(VectorTest, FailedAllocationEndsWithTheContainerMessage) {
  const ChildResult r = runInChild([] {
    const rlim_t limit = 256u << 20;
    rlimit rl = {limit, limit};
    setrlimit(RLIMIT_AS, &rl);
    ZEL_Vector<int> v;
    v.init(1 << 30, 5);  // 8 GiB of slots
  });
  EXPECT_EQ(r.exitCode, 255) << describe(r);
  EXPECT_EQ(r.out, "pas assez de memoire pour allouer le vecteur ");
}
#endif
