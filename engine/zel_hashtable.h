#ifndef ZEL_HASHTABLE_H
#define ZEL_HASHTABLE_H

#include <cstdint>

#include "zel_container_alloc.h"
#include "zel_list.h"

// A chained hash table keyed by the address of the value: given a value
// object, it tells which key was stored with it. It owns its pairs and
// bucket lists; keys and values stay the caller's. Never rehashes.
template <class K, class V>
class ZEL_Hashtable {
 public:
  // A prime, so that aligned addresses spread over the buckets.
  static constexpr int DEFAULT_BUCKETS = 4999;

  class ZEL_HashtablePair {
   public:
    ZEL_HashtablePair(K* k, V* v) : key(k), value(v) {}
    K* key;
    V* value;
  };

  ZEL_Hashtable() : nbBuckets(0), buckets(nullptr) { init(DEFAULT_BUCKETS); }
  ~ZEL_Hashtable() {
    empty();
    delete[] buckets;
  }
  ZEL_Hashtable(const ZEL_Hashtable&) = delete;
  ZEL_Hashtable& operator=(const ZEL_Hashtable&) = delete;

  // Drops every entry and allocates n empty buckets (at least one).
  void init(int n) {
    empty();
    delete[] buckets;
    nbBuckets = n < 1 ? 1 : n;
    buckets = zel_container::allocateSlots<Bucket>(nbBuckets);
    for (int32_t i = 0; i < nbBuckets; ++i) buckets[i] = nullptr;
  }

  int hash(V* value) {
    return static_cast<int>(reinterpret_cast<uintptr_t>(value) % static_cast<uintptr_t>(nbBuckets));
  }

  // Appends (key, value) to the value's bucket. A second add of the same
  // value makes a second entry, hidden behind the first.
  void addValueWhereKey(K* key, V* value) {
    Bucket*& bucket = buckets[hash(value)];
    if (bucket == nullptr) bucket = new Bucket();
    bucket->addAtEnd(new ZEL_HashtablePair(key, value));
  }

  // The key of the first entry holding this very value; null if none.
  K* getValueWhereKey(V* value) {
    Bucket* bucket = buckets[hash(value)];
    if (bucket == nullptr) return nullptr;
    bucket->init();
    while (ZEL_HashtablePair* pair = bucket->next()) {
      if (pair->value == value) return pair->key;
    }
    return nullptr;
  }

  // Removes the first entry holding this very value: 1, or 0 if none.
  // The bucket's list stays in place, even when emptied.
  int removeValueWhereKey(V* value) {
    Bucket* bucket = buckets[hash(value)];
    if (bucket == nullptr) return 0;
    bucket->init();
    while (ZEL_HashtablePair* pair = bucket->getCurrent()) {
      if (pair->value == value) {
        bucket->removeCurrent();
        delete pair;
        return 1;
      }
      bucket->next();
    }
    return 0;
  }

  // Destroys every bucket list with its pairs.
  void empty() {
    for (int32_t i = 0; i < nbBuckets; ++i) {
      Bucket* bucket = buckets[i];
      if (bucket == nullptr) continue;
      bucket->init();
      while (ZEL_HashtablePair* pair = bucket->next()) delete pair;
      delete bucket;
      buckets[i] = nullptr;
    }
  }

 private:
  typedef ZEL_List<ZEL_HashtablePair> Bucket;

  int32_t nbBuckets;
  Bucket** buckets;
};

#endif
