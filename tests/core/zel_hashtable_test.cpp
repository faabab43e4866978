#include "zel_hashtable.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const int BUCKETS = 4999;
typedef ZEL_Hashtable<int, char> Table;

// Two values whose addresses differ by a multiple of the bucket count.
struct CollidingPair {
  std::vector<char> storage = std::vector<char>(2 * BUCKETS + 1);
  char* first = &storage[0];
  char* second = &storage[2 * BUCKETS];
};

}  // namespace

TEST(HashtableTest, CollidingValuesShareABucketAndStayApart) {
  Table table;
  CollidingPair p;
  int k1 = 1, k2 = 2;
  ASSERT_EQ(table.hash(p.first), table.hash(p.second));
  EXPECT_EQ(table.hash(p.first), static_cast<int>(reinterpret_cast<uintptr_t>(p.first) % BUCKETS));

  table.addValueWhereKey(&k1, p.first);
  table.addValueWhereKey(&k2, p.second);
  EXPECT_EQ(table.getValueWhereKey(p.first), &k1);
  EXPECT_EQ(table.getValueWhereKey(p.second), &k2);

  EXPECT_EQ(table.removeValueWhereKey(p.first), 1);
  EXPECT_EQ(table.getValueWhereKey(p.first), nullptr);
  EXPECT_EQ(table.getValueWhereKey(p.second), &k2);

  table.addValueWhereKey(&k1, p.first);  // now behind the second
  EXPECT_EQ(table.removeValueWhereKey(p.second), 1);
  EXPECT_EQ(table.getValueWhereKey(p.second), nullptr);
  EXPECT_EQ(table.getValueWhereKey(p.first), &k1);

  EXPECT_EQ(table.removeValueWhereKey(p.first), 1);
  // The bucket's list stays, empty.
  EXPECT_EQ(table.getValueWhereKey(p.first), nullptr);
  EXPECT_EQ(table.removeValueWhereKey(p.first), 0);
  table.addValueWhereKey(&k2, p.second);
  EXPECT_EQ(table.getValueWhereKey(p.second), &k2);
}

TEST(HashtableTest, ThreeInABucketRemoveFromTheMiddleAndTheEnd) {
  std::vector<char> storage(3 * BUCKETS + 1);
  char* v[3] = {&storage[0], &storage[BUCKETS], &storage[3 * BUCKETS]};
  int keys[3] = {0, 1, 2};
  Table table;
  for (int i = 0; i < 3; ++i) table.addValueWhereKey(&keys[i], v[i]);
  EXPECT_EQ(table.removeValueWhereKey(v[1]), 1);
  EXPECT_EQ(table.getValueWhereKey(v[0]), &keys[0]);
  EXPECT_EQ(table.getValueWhereKey(v[2]), &keys[2]);
  EXPECT_EQ(table.removeValueWhereKey(v[2]), 1);
  // The tail moved back: a new entry must still be reachable.
  table.addValueWhereKey(&keys[1], v[1]);
  EXPECT_EQ(table.getValueWhereKey(v[1]), &keys[1]);
  EXPECT_EQ(table.getValueWhereKey(v[0]), &keys[0]);
}

TEST(HashtableTest, MissingValuesAndDuplicates) {
  Table table;
  char a = 0, never = 0;
  int k1 = 1, k2 = 2;
  EXPECT_EQ(table.removeValueWhereKey(&never), 0);
  EXPECT_EQ(table.getValueWhereKey(&never), nullptr);

  table.addValueWhereKey(&k1, &a);
  table.addValueWhereKey(&k2, &a);  // hidden behind the first
  EXPECT_EQ(table.getValueWhereKey(&a), &k1);
  EXPECT_EQ(table.removeValueWhereKey(&a), 1);
  EXPECT_EQ(table.getValueWhereKey(&a), &k2);

  table.empty();
  EXPECT_EQ(table.getValueWhereKey(&a), nullptr);
  table.addValueWhereKey(&k1, &a);
  EXPECT_EQ(table.getValueWhereKey(&a), &k1);
  EXPECT_EQ(k1, 1);  // keys are the caller's, never touched
}

TEST(HashtableTest, SmallBucketCounts) {
  Table table;
  char values[8] = {};
  int keys[8];
  for (int buckets : {-3, 0, 1, 2}) {
    table.init(buckets);
    for (int i = 0; i < 8; ++i) {
      keys[i] = i;
      table.addValueWhereKey(&keys[i], &values[i]);
    }
    for (int i = 0; i < 8; ++i) EXPECT_EQ(table.getValueWhereKey(&values[i]), &keys[i]);
  }
}
