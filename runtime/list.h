/// \file
/// TList: a doubly linked, circular list of object references with a sentinel
/// link. The sentinel's value is the sentinel itself; that marks the end.
///
/// Walking while the list changes is well defined, because a removed link
/// keeps its successor and an enumerator is parked on the link it returns next:
///  - removing the element just returned is safe;
///  - removing the link the walk is parked on yields one Null, then goes on;
///  - links removed further ahead are not visited;
///  - AddLast is visited unless the walk has already returned the last element;
///  - AddFirst is never visited by a walk under way.
///
/// Range-for walks the same way (`for (Ref<Object> v : *list)`), and
/// `list->Each<T>()` yields only the elements that are T, skipping Nulls.
#pragma once

#include <cstdint>

#include "runtime/array.h"
#include "runtime/data_type.h"
#include "runtime/object.h"

namespace vtl {

class TList;

/// One link of a TList: the element and its neighbours.
class TLink : public Object {
 public:
  /// The element.
  Ref<Object> Value() const { return _value; }
  /// Neighbours, or the Null object at either end of the list.
  ///@{
  Ref<TLink> NextLink() const;
  Ref<TLink> PrevLink() const;
  ///@}
  /// Takes the link out of its list. The link keeps its neighbours so that a
  /// walk parked on it can move on; removing it again does nothing.
  void Remove();

  /// The list's own link, which marks where the ring ends.
  bool IsSentinel() const noexcept { return _value.Get() == this; }

  Ref<Object> _value;  ///< The element (the link itself for the sentinel).
  Ref<TLink> _succ;    ///< The next link in the ring.
  Ref<TLink> _pred;    ///< The previous link in the ring.
};

/// A walk over a list, parked on the link it returns next.
class TListEnum : public Object {
 public:
  /// True until the walk reaches the list's end.
  int32_t HasNext() const { return !_link->IsSentinel(); }
  /// The element of the parked link; the walk moves on to the next link.
  Ref<Object> NextObject();

  Ref<TLink> _link;  ///< The link returned next.
};

/// An ordering of two elements: negative, 0 or positive.
using ListCompare = int32_t (*)(const Ref<Object>& a, const Ref<Object>& b);
/// a's own Compare (a Null a is below anything but another Null).
int32_t CompareObjects(const Ref<Object>& a, const Ref<Object>& b);

/// A doubly linked list of object references, safe to change while it is
/// walked. Elements are equal when they are the same object or the list's
/// element Compares 0 with the value. Operations that have nothing to report
/// return 0.
class TList : public TData {
 public:
  /// An empty list: the sentinel alone.
  TList();
  /// Clears the list and breaks the sentinel's ring.
  ~TList() override;

  /// ListDataType; throws TNullMethodException while none is installed.
  Ref<TDataType> DataType() const override;

  /// Removes every element.
  int32_t Clear();
  /// True when the list has no elements.
  int32_t IsEmpty() const;
  /// True when an element equals value.
  int32_t Contains(const Ref<Object>& value) const;
  /// Adds value at the start; returns its new link.
  Ref<TLink> AddFirst(const Ref<Object>& value);
  /// Adds value at the end; returns its new link.
  Ref<TLink> AddLast(const Ref<Object>& value);
  /// \name Ends of the list
  /// On an empty list these give the Null object and change nothing.
  ///@{

  /// The first element.
  Ref<Object> First() const;
  /// The last element.
  Ref<Object> Last() const;
  /// Takes the first element out and returns it.
  Ref<Object> RemoveFirst();
  /// Takes the last element out and returns it.
  Ref<Object> RemoveLast();
  /// The first link.
  Ref<TLink> FirstLink() const;
  /// The last link.
  Ref<TLink> LastLink() const;
  ///@}
  /// Adds value just before link; returns the new link.
  Ref<TLink> InsertBeforeLink(const Ref<Object>& value, const Ref<TLink>& link);
  /// Adds value just after link; returns the new link.
  Ref<TLink> InsertAfterLink(const Ref<Object>& value, const Ref<TLink>& link);
  /// The link of the first element equal to value, or the Null object.
  Ref<TLink> FindLink(const Ref<Object>& value) const;
  /// The element at index, counted from 0 (a walk over the list).
  /// Throws "List index out of range" outside 0 .. Count() - 1.
  Ref<Object> ValueAtIndex(int32_t index) const;
  /// The number of elements (a walk over the list).
  int32_t Count() const;
  /// Removes the first element equal to value: 1 if found, else 0.
  int32_t Remove(const Ref<Object>& value);
  /// Exchanges the contents of the two lists.
  int32_t Swap(const Ref<TList>& other);
  /// A new list with the same elements.
  Ref<TList> Copy() const;
  /// Reverses the order in place.
  int32_t Reverse();
  /// A new list with the elements in reverse order.
  Ref<TList> Reversed() const;
  /// Stable bubble sort on the links, ascending unless ascending is 0, by
  /// compare (a null compare throws TNullFunctionException).
  int32_t Sort(int32_t ascending = 1, ListCompare compare = &CompareObjects);
  /// A walk from the first element.
  Ref<TListEnum> ObjectEnumerator() const;
  /// The elements in order, as a new array.
  Ref<Array<Ref<Object>>> ToArray() const;
  /// A new list of the array's elements in order.
  static Ref<TList> FromArray(const Ref<Array<Ref<Object>>>& array);

  /// Range-for support with the enumerator's semantics: the walk parks on the
  /// next link before the loop body runs.
  class Iterator {
   public:
    /// The end of every walk.
    Iterator() = default;
    /// A walk from first: it takes first's element and parks on the next link.
    explicit Iterator(const Ref<TLink>& first) : park_(first) { ++*this; }
    /// The element taken last.
    const Ref<Object>& operator*() const { return current_; }
    /// Takes the parked link's element and parks on its successor; at the
    /// sentinel the walk ends.
    Iterator& operator++() {
      if (park_->IsSentinel()) {
        park_ = nullptr;
      } else {
        current_ = park_->_value;
        park_ = park_->_succ;
      }
      return *this;
    }
    /// Same parked link (every ended walk equals end()).
    bool operator==(const Iterator& o) const { return park_ == o.park_; }

   private:
    Ref<Object> current_;
    Ref<TLink> park_;  // Null once the walk has ended
  };
  /// A walk over the list for range-for.
  ///@{
  Iterator begin() const { return Iterator(_head->_succ); }
  Iterator end() const { return Iterator(); }
  ///@}

  /// The elements that are T (or derive from it), for range-for; see Each().
  template <class T>
  class Typed {
   public:
    /// A walk that skips Nulls and elements that are not T.
    class It {
     public:
      /// Starts at it, moved on to the first element that is a T.
      explicit It(Iterator it) : it_(std::move(it)) { Settle(); }
      /// The element as a T.
      Ref<T> operator*() const { return current_; }
      /// Moves on to the next element that is a T.
      It& operator++() {
        ++it_;
        Settle();
        return *this;
      }
      /// Same position.
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
    /// The elements of list; the list must outlive the walk.
    explicit Typed(const TList& list) : list_(list) {}
    /// The walk for range-for.
    ///@{
    It begin() const { return It(list_.begin()); }
    It end() const { return It(list_.end()); }
    ///@}

   private:
    const TList& list_;
  };
  /// The elements that are T, skipping Nulls: `for (Ref<TUnit> u : list->Each<TUnit>())`.
  template <class T>
  Typed<T> Each() const {
    return Typed<T>(*this);
  }

  Ref<TLink> _head;  ///< The sentinel link.

 private:
  static Ref<Object> Unlink(Ref<TLink> link);
};

/// The list's object-stream type, installed by whichever module provides one.
extern Ref<TDataType> ListDataType;

/// \name Free forms
/// Each forwards to the list's method of the same meaning (a Null list
/// raises TNullObjectException).
///@{

/// A new empty list.
Ref<TList> CreateList();
/// TList::Clear.
int32_t ClearList(const Ref<TList>& list);
/// TList::Count.
int32_t CountList(const Ref<TList>& list);
/// TList::IsEmpty.
int32_t ListIsEmpty(const Ref<TList>& list);
/// TList::Contains.
int32_t ListContains(const Ref<TList>& list, const Ref<Object>& value);
/// TList::Sort.
int32_t SortList(const Ref<TList>& list, int32_t ascending = 1, ListCompare compare = &CompareObjects);
/// TList::FromArray.
Ref<TList> ListFromArray(const Ref<Array<Ref<Object>>>& array);
/// TList::ToArray.
Ref<Array<Ref<Object>>> ListToArray(const Ref<TList>& list);
/// TList::Swap.
int32_t SwapLists(const Ref<TList>& a, const Ref<TList>& b);
/// TList::Reverse.
int32_t ReverseList(const Ref<TList>& list);
/// TList::FindLink.
Ref<TLink> ListFindLink(const Ref<TList>& list, const Ref<Object>& value);
/// TList::AddLast.
Ref<TLink> ListAddLast(const Ref<TList>& list, const Ref<Object>& value);
/// TList::AddFirst.
Ref<TLink> ListAddFirst(const Ref<TList>& list, const Ref<Object>& value);
/// TList::Remove.
int32_t ListRemove(const Ref<TList>& list, const Ref<Object>& value);
/// TLink::Remove.
void RemoveLink(const Ref<TLink>& link);
///@}

}  // namespace vtl
