#include "zel_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int v[5] = {0, 1, 2, 3, 4};

std::vector<int*> walk(ZEL_List<int>& list) {
  std::vector<int*> out;
  list.init();
  while (int* x = list.next()) out.push_back(x);
  return out;
}

void fill(ZEL_List<int>& list, int n) {
  for (int i = 0; i < n; ++i) list.addAtEnd(&v[i]);
}

}  // namespace

TEST(ListTest, CursorWalksAndStopsAtTheEnd) {
  ZEL_List<int> list;
  EXPECT_EQ(list.next(), nullptr);
  list.addAtEnd(&v[0]);
  EXPECT_EQ(list.next(), &v[0]);  // the first add places the cursor
  EXPECT_EQ(list.next(), nullptr);
  list.addAtEnd(&v[1]);
  EXPECT_EQ(list.next(), nullptr);  // a later add leaves the cursor past the end
  EXPECT_EQ(walk(list), (std::vector<int*>{&v[0], &v[1]}));
}

TEST(ListTest, RemoveCurrentOnEmptyAndSingleLists) {
  ZEL_List<int> list;
  EXPECT_TRUE(list.removeCurrent());  // nothing to remove, still true
  fill(list, 1);
  list.init();
  list.next();  // cursor past the end
  EXPECT_TRUE(list.removeCurrent());
  EXPECT_TRUE(list.isEmpty());
  EXPECT_EQ(walk(list), std::vector<int*>{});
  fill(list, 2);
  EXPECT_EQ(walk(list), (std::vector<int*>{&v[0], &v[1]}));
}

TEST(ListTest, RemoveCurrentAtHeadMiddleTailAndPastTheEnd) {
  ZEL_List<int> list;
  fill(list, 4);

  list.init();
  EXPECT_TRUE(list.removeCurrent());  // the head
  EXPECT_EQ(list.getCurrent(), &v[1]);
  EXPECT_EQ(walk(list), (std::vector<int*>{&v[1], &v[2], &v[3]}));

  list.init();
  list.next();
  EXPECT_TRUE(list.removeCurrent());  // the middle: 2
  EXPECT_EQ(list.next(), &v[3]);
  EXPECT_EQ(walk(list), (std::vector<int*>{&v[1], &v[3]}));

  list.init();
  list.next();
  EXPECT_TRUE(list.removeCurrent());  // the tail: 3
  EXPECT_EQ(list.getCurrent(), nullptr);
  list.addAtEnd(&v[4]);  // appended after the new tail
  EXPECT_EQ(walk(list), (std::vector<int*>{&v[1], &v[4]}));

  list.init();
  list.next();
  list.next();
  EXPECT_FALSE(list.removeCurrent());  // past the end of two nodes
  EXPECT_EQ(walk(list), (std::vector<int*>{&v[1], &v[4]}));
}

TEST(ListTest, HeadRemovedTwiceThenWalked) {
  ZEL_List<int> list;
  fill(list, 3);
  list.init();
  EXPECT_TRUE(list.removeCurrent());
  EXPECT_TRUE(list.removeCurrent());
  EXPECT_EQ(list.next(), &v[2]);
  EXPECT_TRUE(list.removeCurrent());  // one node left: emptied
  EXPECT_TRUE(list.isEmpty());
}

TEST(ListTest, EmptyAndDeleteAllFreeNodesNotValues) {
  ZEL_List<int> list;
  fill(list, 5);
  list.empty();
  EXPECT_TRUE(list.isEmpty());
  list.empty();  // emptying an empty list does nothing
  fill(list, 3);
  EXPECT_EQ(walk(list).size(), 3u);

  ZEL_NodeList<int> first(&v[0]);
  first.setNext(new ZEL_NodeList<int>(&v[1]));
  first.getNext()->setNext(new ZEL_NodeList<int>(&v[2]));
  first.deleteAll();
  EXPECT_EQ(first.getNext(), nullptr);
  EXPECT_EQ(first.getValue(), &v[0]);
  EXPECT_EQ(v[2], 2);
}
