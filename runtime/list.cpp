#include "runtime/list.h"

#include "runtime/exceptions.h"

namespace vtl {

Ref<TDataType> ListDataType;

namespace {

bool Equal(const Ref<Object>& element, const Ref<Object>& value) {
  if (element.Get() == value.Get()) return true;  // every Compare gives 0 for the object itself
  if (!element) return false;
  return element->Compare(value) == 0;
}

}  // namespace

int32_t CompareObjects(const Ref<Object>& a, const Ref<Object>& b) {
  if (!a) return b ? -1 : 0;
  return a->Compare(b);
}

// ---- TLink ----

Ref<TLink> TLink::NextLink() const { return _succ->IsSentinel() ? nullptr : _succ; }

Ref<TLink> TLink::PrevLink() const { return _pred->IsSentinel() ? nullptr : _pred; }

void TLink::Remove() {
  // A link no longer in a ring is left alone: relinking its stale
  // neighbours would cut live links out of the list.
  if (IsSentinel() || !_pred || _pred->_succ.Get() != this) return;
  Ref<TLink> keep(this);
  _value = nullptr;
  _succ->_pred = _pred;
  _pred->_succ = _succ;
}

Ref<Object> TListEnum::NextObject() {
  Ref<Object> value = _link->_value;
  _link = Ref<TLink>(_link->_succ);
  return value;
}

// ---- TList ----

TList::TList() {
  _head = New<TLink>();
  _head->_value = _head;
  _head->_succ = _head;
  _head->_pred = _head;
}

TList::~TList() {
  Clear();
  // Break the sentinel's ring of references to itself.
  _head->_value = nullptr;
  _head->_succ = nullptr;
  _head->_pred = nullptr;
}

Ref<TDataType> TList::DataType() const {
  if (!ListDataType) ThrowNullMethod();
  return ListDataType;
}

int32_t TList::Clear() {
  while (!_head->_succ->IsSentinel()) _head->_succ->Remove();
  return 0;
}

int32_t TList::IsEmpty() const { return _head->_succ.Get() == _head.Get(); }

int32_t TList::Contains(const Ref<Object>& value) const { return FindLink(value) != nullptr; }

Ref<TLink> TList::AddFirst(const Ref<Object>& value) { return InsertAfterLink(value, _head); }

Ref<TLink> TList::AddLast(const Ref<Object>& value) { return InsertBeforeLink(value, _head); }

Ref<Object> TList::First() const { return IsEmpty() ? nullptr : _head->_succ->_value; }

Ref<Object> TList::Last() const { return IsEmpty() ? nullptr : _head->_pred->_value; }

Ref<Object> TList::RemoveFirst() { return IsEmpty() ? nullptr : Unlink(_head->_succ); }

Ref<Object> TList::RemoveLast() { return IsEmpty() ? nullptr : Unlink(_head->_pred); }

Ref<Object> TList::Unlink(Ref<TLink> link) {
  Ref<Object> value = link->_value;
  link->Remove();
  return value;
}

Ref<TLink> TList::FirstLink() const { return IsEmpty() ? nullptr : _head->_succ; }

Ref<TLink> TList::LastLink() const { return IsEmpty() ? nullptr : _head->_pred; }

Ref<TLink> TList::InsertBeforeLink(const Ref<Object>& value, const Ref<TLink>& link) {
  Ref<TLink> n = New<TLink>();
  n->_value = value;
  n->_succ = link;
  n->_pred = link->_pred;
  n->_pred->_succ = n;
  link->_pred = n;
  return n;
}

Ref<TLink> TList::InsertAfterLink(const Ref<Object>& value, const Ref<TLink>& link) {
  Ref<TLink> n = New<TLink>();
  n->_value = value;
  n->_pred = link;
  n->_succ = link->_succ;
  n->_succ->_pred = n;
  link->_succ = n;
  return n;
}

Ref<TLink> TList::FindLink(const Ref<Object>& value) const {
  for (TLink* l = _head->_succ.Get(); l != _head.Get(); l = l->_succ.Get()) {
    if (Equal(l->_value, value)) return Ref<TLink>(l);
  }
  return nullptr;
}

Ref<Object> TList::ValueAtIndex(int32_t index) const {
  if (index >= 0) {
    for (TLink* l = _head->_succ.Get(); l != _head.Get(); l = l->_succ.Get()) {
      if (index-- == 0) return l->_value;
    }
  }
  RuntimeError("List index out of range");
}

int32_t TList::Count() const {
  int32_t n = 0;
  for (TLink* l = _head->_succ.Get(); l != _head.Get(); l = l->_succ.Get()) ++n;
  return n;
}

int32_t TList::Remove(const Ref<Object>& value) {
  Ref<TLink> link = FindLink(value);
  if (!link) return 0;
  link->Remove();
  return 1;
}

int32_t TList::Swap(const Ref<TList>& other) {
  _head.Swap(other->_head);
  return 0;
}

Ref<TList> TList::Copy() const {
  Ref<TList> copy = New<TList>();
  for (TLink* l = _head->_succ.Get(); l != _head.Get(); l = l->_succ.Get()) copy->AddLast(l->_value);
  return copy;
}

int32_t TList::Reverse() {
  TLink* l = _head.Get();
  do {
    l->_succ.Swap(l->_pred);
    l = l->_pred.Get();  // the old successor
  } while (l != _head.Get());
  return 0;
}

Ref<TList> TList::Reversed() const {
  Ref<TList> copy = New<TList>();
  for (TLink* l = _head->_succ.Get(); l != _head.Get(); l = l->_succ.Get()) copy->AddFirst(l->_value);
  return copy;
}

int32_t TList::Sort(int32_t ascending, ListCompare compare) {
  if (!compare) ThrowNullFunction();
  Ref<TLink> endMark = _head;
  for (;;) {
    Ref<TLink> l = _head->_succ;
    if (l == endMark) break;
    bool swapped = false;
    for (;;) {
      Ref<TLink> s = l->_succ;
      if (s == endMark) break;
      int32_t c = compare(l->_value, s->_value);
      if ((c > 0 && ascending) || (c < 0 && !ascending)) {
        // Move s to just before l.
        Ref<TLink> after = s->_succ;
        Ref<TLink> before = l->_pred;
        l->_succ = after;
        after->_pred = l;
        before->_succ = s;
        s->_pred = before;
        s->_succ = l;
        l->_pred = s;
        swapped = true;
      } else {
        l = s;
      }
    }
    if (!swapped) break;
    endMark = l;
  }
  return 0;
}

Ref<TListEnum> TList::ObjectEnumerator() const {
  Ref<TListEnum> e = New<TListEnum>();
  e->_link = _head->_succ;
  return e;
}

Ref<Array<Ref<Object>>> TList::ToArray() const {
  Ref<Array<Ref<Object>>> array = NewArray<Ref<Object>>({Count()});
  int32_t i = 0;
  for (TLink* l = _head->_succ.Get(); l != _head.Get(); l = l->_succ.Get()) (*array)[i++] = l->_value;
  return array;
}

Ref<TList> TList::FromArray(const Ref<Array<Ref<Object>>>& array) {
  Ref<TList> list = New<TList>();
  for (const Ref<Object>& v : *array) list->AddLast(v);
  return list;
}

// ---- free functions ----

Ref<TList> CreateList() { return New<TList>(); }
int32_t ClearList(const Ref<TList>& list) { return list->Clear(); }
int32_t CountList(const Ref<TList>& list) { return list->Count(); }
int32_t ListIsEmpty(const Ref<TList>& list) { return list->IsEmpty(); }
int32_t ListContains(const Ref<TList>& list, const Ref<Object>& value) { return list->Contains(value); }
int32_t SortList(const Ref<TList>& list, int32_t ascending, ListCompare compare) {
  return list->Sort(ascending, compare);
}
Ref<TList> ListFromArray(const Ref<Array<Ref<Object>>>& array) { return TList::FromArray(array); }
Ref<Array<Ref<Object>>> ListToArray(const Ref<TList>& list) { return list->ToArray(); }
int32_t SwapLists(const Ref<TList>& a, const Ref<TList>& b) { return a->Swap(b); }
int32_t ReverseList(const Ref<TList>& list) { return list->Reverse(); }
Ref<TLink> ListFindLink(const Ref<TList>& list, const Ref<Object>& value) { return list->FindLink(value); }
Ref<TLink> ListAddLast(const Ref<TList>& list, const Ref<Object>& value) { return list->AddLast(value); }
Ref<TLink> ListAddFirst(const Ref<TList>& list, const Ref<Object>& value) { return list->AddFirst(value); }
int32_t ListRemove(const Ref<TList>& list, const Ref<Object>& value) { return list->Remove(value); }
void RemoveLink(const Ref<TLink>& link) { link->Remove(); }

}  // namespace vtl
