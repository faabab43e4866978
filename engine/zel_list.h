#ifndef ZEL_LIST_H
#define ZEL_LIST_H

#include <vector>

// One node of a ZEL_List. Destroying a node never destroys its value.
template <class T>
class ZEL_NodeList {
 public:
  explicit ZEL_NodeList(T* v) : value(v), next(nullptr) {}
  virtual ~ZEL_NodeList() {}
  ZEL_NodeList(const ZEL_NodeList&) = delete;
  ZEL_NodeList& operator=(const ZEL_NodeList&) = delete;

  ZEL_NodeList<T>* getNext() { return next; }
  void setNext(ZEL_NodeList<T>* n) { next = n; }
  T* getValue() { return value; }

  // Destroys every node after this one (not this one), the farthest first.
  void deleteAll() {
    std::vector<ZEL_NodeList<T>*> chain;
    for (ZEL_NodeList<T>* n = next; n != nullptr; n = n->next) chain.push_back(n);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) delete *it;
    next = nullptr;
  }

 private:
  T* value;
  ZEL_NodeList<T>* next;
};

// A singly linked list of pointers with one built-in cursor. Owns its
// nodes, never the values. Not thread-safe.
template <class T>
class ZEL_List {
 public:
  ZEL_List() : head(nullptr), cursor(nullptr), previous(nullptr), tail(nullptr) {}
  virtual ~ZEL_List() { empty(); }
  ZEL_List(const ZEL_List&) = delete;
  ZEL_List& operator=(const ZEL_List&) = delete;

  // Appends v. On an empty list the cursor starts on the new node;
  // otherwise the cursor is left where it is.
  void addAtEnd(T* v) {
    ZEL_NodeList<T>* node = new ZEL_NodeList<T>(v);
    if (head == nullptr) {
      head = cursor = previous = tail = node;
      return;
    }
    tail->setNext(node);
    tail = node;
  }

  // Starts an iteration at the head.
  void init() { cursor = previous = head; }

  // Returns the value under the cursor and moves past it; null at the end.
  T* next() {
    if (cursor == nullptr) return nullptr;
    previous = cursor;
    cursor = cursor->getNext();
    return previous->getValue();
  }

  // The value that next() would return, without moving; null at the end.
  T* getCurrent() { return cursor == nullptr ? nullptr : cursor->getValue(); }

  // Removes the node under the cursor; the cursor moves to the node after
  // it. False when the cursor is past the end of a list of two or more.
  bool removeCurrent() {
    if (head == tail) {  // empty, or one node wherever the cursor is
      delete head;
      head = cursor = previous = tail = nullptr;
      return true;
    }
    if (cursor == head) {
      ZEL_NodeList<T>* old = head;
      head = head->getNext();
      cursor = previous = head;
      delete old;
      return true;
    }
    if (previous != nullptr && cursor != nullptr) {
      ZEL_NodeList<T>* old = cursor;
      previous->setNext(old->getNext());
      if (old == tail) tail = previous;
      cursor = old->getNext();
      delete old;
      return true;
    }
    return false;
  }

  // Destroys every node; the values are not touched.
  void empty() {
    if (head != nullptr) {
      head->deleteAll();
      delete head;
    }
    head = cursor = previous = tail = nullptr;
  }

  bool isEmpty() { return head == nullptr; }

 private:
  ZEL_NodeList<T>* head;
  ZEL_NodeList<T>* cursor;
  ZEL_NodeList<T>* previous;
  ZEL_NodeList<T>* tail;
};

#endif
