#include "zel_sorted_vector.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

typedef ZEL_SortedVector<int32_t, lowerINT> IntVector;

std::vector<int32_t*> contents(IntVector& v) {
  std::vector<int32_t*> out;
  for (int i = 0; i < v.getSize(); ++i) out.push_back(v.elementAt(i));
  return out;
}

}  // namespace

TEST(SortedVectorTest, EqualKeysGoNewestFirst) {
  int32_t a = 5, b = 5, c = 5, low = 2, high = 9;
  IntVector v;
  EXPECT_EQ(v.add(&a), 0);
  EXPECT_EQ(v.add(&b), 0);
  EXPECT_EQ(v.add(&c), 0);
  EXPECT_EQ(v.add(&high), 3);
  EXPECT_EQ(v.add(&low), 0);
  EXPECT_EQ(contents(v), (std::vector<int32_t*>{&low, &c, &b, &a, &high}));
}

TEST(SortedVectorTest, SpoiledOrderInsertsAfterTheLastLowerElement) {
  int32_t a = 1, b = 3, c = 5, e = 4;
  IntVector v;
  v.add(&a);
  v.add(&b);
  v.add(&c);
  c = 0;  // a key changes without a re-sort
  // Scanning from the end, c (0) is the first key below 4.
  EXPECT_EQ(v.recherche(&e), 3);
  b = 10;
  a = 10;
  e = 5;
  EXPECT_EQ(v.recherche(&e), 3);
  c = 7;
  EXPECT_EQ(v.recherche(&e), 0);  // nothing sorts strictly before 5
}

TEST(SortedVectorTest, RemovalIsByIdentity) {
  int32_t a = 5, b = 5, other = 5;
  IntVector v;
  EXPECT_EQ(v.remove(&a), nullptr);
  v.add(&a);
  v.add(&b);
  EXPECT_EQ(v.remove(&other), nullptr);  // equal key, other object
  EXPECT_EQ(v.remove(&a), &a);
  EXPECT_EQ(v.remove(&a), nullptr);
  ASSERT_EQ(v.getSize(), 1);
  EXPECT_EQ(v.elementAt(0), &b);
  EXPECT_EQ(v.elementAt(1), nullptr);
  EXPECT_EQ(v.elementAt(-1), nullptr);
}

TEST(SortedVectorTest, KeepsOneFreeSlotAfterEveryInsertion) {
  std::vector<int32_t> keys(1001);
  IntVector v;
  for (int i = 0; i < 998; ++i) {
    keys[i] = i;
    v.add(&keys[i]);
  }
  EXPECT_EQ(v.getCapacity(), 1000);
  keys[998] = 998;
  v.add(&keys[998]);  // size 998 before: still room
  EXPECT_EQ(v.getCapacity(), 1000);
  keys[999] = -1;
  EXPECT_EQ(v.add(&keys[999]), 0);  // the 1000th insertion grows
  EXPECT_EQ(v.getCapacity(), 1500);
  EXPECT_EQ(v.elementAt(1), &keys[0]);
  EXPECT_EQ(v.elementAt(999), &keys[998]);
}

TEST(SortedVectorTest, TinyCapacitiesAreSafe) {
  int32_t k[4] = {3, 1, 2, 0};
  for (int capacity : {-1, 0, 1}) {
    for (int increment : {0, 1}) {
      IntVector v;
      v.init(capacity, increment);
      for (int32_t& key : k) v.add(&key);
      ASSERT_EQ(v.getSize(), 4);
      EXPECT_EQ(*v.elementAt(0), 0);
      EXPECT_EQ(*v.elementAt(3), 3);
      EXPECT_GE(v.getCapacity(), v.getSize());
    }
  }
}

TEST(SortedVectorTest, LowerIntIsStrictAndSigned) {
  int32_t minus = -1, zero = 0, zero2 = 0;
  EXPECT_EQ(lowerINT(&minus, &zero), 1);
  EXPECT_EQ(lowerINT(&zero, &minus), 0);
  EXPECT_EQ(lowerINT(&zero, &zero2), 0);
}
