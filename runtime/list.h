// TList: a doubly linked, circular list of object references with a sentinel
// link. The sentinel's value is the sentinel itself; that marks the end.
//
// Walking while the list changes is well defined, because a removed link
// keeps its successor and an enumerator is parked on the link it returns next:
//  - removing the element just returned is safe;
//  - removing the link the walk is parked on yields one Null, then goes on;
//  - links removed further ahead are not visited;
//  - AddLast is visited unless the walk has already returned the last element;
//  - AddFirst is never visited by a walk under way.
// Range-for walks the same way (`for (Ref<Object> v : *list)`), and
// `list->Each<T>()` yields only the elements that are T, skipping Nulls.
#pragma once

#include <cstdint>

#include "runtime/array.h"
#include "runtime/data_type.h"
#include "runtime/object.h"

namespace vtl {

class TList;

class TLink : public Object {
 public:
  Ref<Object> Value() const { return _value; }
  // Neighbours, or the Null object at either end of the list.
  Ref<TLink> NextLink() const;
  Ref<TLink> PrevLink() const;
  // Takes the link out of its list. The link keeps its neighbours so that a
  // walk parked on it can move on; removing it again does nothing.
  void Remove();

  // The list's own link, which marks where the ring ends.
  bool IsSentinel() const noexcept { return _value.Get() == this; }

  Ref<Object> _value;
  Ref<TLink> _succ;
  Ref<TLink> _pred;
};

class TListEnum : public Object {
 public:
  int32_t HasNext() const { return !_link->IsSentinel(); }
  Ref<Object> NextObject();

  Ref<TLink> _link;
};

using ListCompare = int32_t (*)(const Ref<Object>& a, const Ref<Object>& b);
// a's own Compare.
int32_t CompareObjects(const Ref<Object>& a, const Ref<Object>& b);

class TList : public TData {
 public:
  TList();
  ~TList() override;

  Ref<TDataType> DataType() const override;

  int32_t Clear();
  int32_t IsEmpty() const;
  int32_t Contains(const Ref<Object>& value) const;
  Ref<TLink> AddFirst(const Ref<Object>& value);
  Ref<TLink> AddLast(const Ref<Object>& value);
  // On an empty list these give the Null object and change nothing.
  Ref<Object> First() const;
  Ref<Object> Last() const;
  Ref<Object> RemoveFirst();
  Ref<Object> RemoveLast();
  Ref<TLink> FirstLink() const;
  Ref<TLink> LastLink() const;
  Ref<TLink> InsertBeforeLink(const Ref<Object>& value, const Ref<TLink>& link);
  Ref<TLink> InsertAfterLink(const Ref<Object>& value, const Ref<TLink>& link);
  Ref<TLink> FindLink(const Ref<Object>& value) const;
  // Throws "List index out of range" outside 0 .. Count() - 1.
  Ref<Object> ValueAtIndex(int32_t index) const;
  int32_t Count() const;
  // Removes the first element equal to value: 1 if found, else 0.
  int32_t Remove(const Ref<Object>& value);
  int32_t Swap(const Ref<TList>& other);
  Ref<TList> Copy() const;
  int32_t Reverse();
  Ref<TList> Reversed() const;
  // Stable bubble sort on the links.
  int32_t Sort(int32_t ascending = 1, ListCompare compare = &CompareObjects);
  Ref<TListEnum> ObjectEnumerator() const;
  Ref<Array<Ref<Object>>> ToArray() const;
  static Ref<TList> FromArray(const Ref<Array<Ref<Object>>>& array);

  // Range-for support with the enumerator's semantics: the walk parks on the
  // next link before the loop body runs.
  class Iterator {
   public:
    Iterator() = default;
    explicit Iterator(const Ref<TLink>& first) : park_(first) { ++*this; }
    const Ref<Object>& operator*() const { return current_; }
    Iterator& operator++() {
      if (park_->IsSentinel()) {
        park_ = nullptr;
      } else {
        current_ = park_->_value;
        park_ = park_->_succ;
      }
      return *this;
    }
    bool operator==(const Iterator& o) const { return park_ == o.park_; }

   private:
    Ref<Object> current_;
    Ref<TLink> park_;  // Null once the walk has ended
  };
  Iterator begin() const { return Iterator(_head->_succ); }
  Iterator end() const { return Iterator(); }

  template <class T>
  class Typed {
   public:
    class It {
     public:
      explicit It(Iterator it) : it_(std::move(it)) { Settle(); }
      Ref<T> operator*() const { return current_; }
      It& operator++() {
        ++it_;
        Settle();
        return *this;
      }
      bool operator==(const It& o) const { return it_ == o.it_; }

     private:
      void Settle() {
        for (; it_ != Iterator(); ++it_) {
          if ((current_ = DowncastObject<T>(*it_))) return;
        }
        current_ = nullptr;
      }
      Iterator it_;
      Ref<T> current_;
    };
    explicit Typed(const TList& list) : list_(list) {}
    It begin() const { return It(list_.begin()); }
    It end() const { return It(list_.end()); }

   private:
    const TList& list_;
  };
  template <class T>
  Typed<T> Each() const {
    return Typed<T>(*this);
  }

  Ref<TLink> _head;

 private:
  static Ref<Object> Unlink(Ref<TLink> link);
};

// The list's object-stream type, installed by whichever module provides one.
extern Ref<TDataType> ListDataType;

Ref<TList> CreateList();
int32_t ClearList(const Ref<TList>& list);
int32_t CountList(const Ref<TList>& list);
int32_t ListIsEmpty(const Ref<TList>& list);
int32_t ListContains(const Ref<TList>& list, const Ref<Object>& value);
int32_t SortList(const Ref<TList>& list, int32_t ascending = 1, ListCompare compare = &CompareObjects);
Ref<TList> ListFromArray(const Ref<Array<Ref<Object>>>& array);
Ref<Array<Ref<Object>>> ListToArray(const Ref<TList>& list);
int32_t SwapLists(const Ref<TList>& a, const Ref<TList>& b);
int32_t ReverseList(const Ref<TList>& list);
Ref<TLink> ListFindLink(const Ref<TList>& list, const Ref<Object>& value);
Ref<TLink> ListAddLast(const Ref<TList>& list, const Ref<Object>& value);
Ref<TLink> ListAddFirst(const Ref<TList>& list, const Ref<Object>& value);
int32_t ListRemove(const Ref<TList>& list, const Ref<Object>& value);
void RemoveLink(const Ref<TLink>& link);

}  // namespace vtl
