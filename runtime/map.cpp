#include "runtime/map.h"

#include <vector>

#include "runtime/list.h"

namespace vtl {

namespace {

// The end of a path down the tree. Links are the nil node, or Null only where
// a program has set a public field to Null.
bool End(const TNode* n) { return !n || n->IsNil(); }

// One child by side, so that each mirrored case of the balancing is written once.
Ref<TNode>& Child(TNode& n, bool right) { return right ? n._right : n._left; }

// The in-order neighbour of n: the next node when forward, else the previous.
TNode* Step(const TNode* n, bool forward) {
  TNode* nil = TNode::Nil().Get();
  if (End(n)) return nil;
  TNode* c = Child(const_cast<TNode&>(*n), forward).Get();
  if (!End(c)) {
    for (TNode* d; !End(d = Child(*c, !forward).Get());) c = d;
    return c;
  }
  // Climb to the first ancestor reached from its other side. A node already
  // out of the tree is no child of its old parent, so a walk parked on one
  // goes on from that parent.
  TNode* p = n->_parent.Get();
  while (!End(p) && n == Child(*p, forward).Get()) {
    n = p;
    p = p->_parent.Get();
  }
  return End(p) ? nil : p;
}

}  // namespace

// ---- TNode ----

TNode* TNode::NilPointer() {
  // Never freed: maps destroyed while the process ends still need it.
  static TNode* const nil = [] {
    TNode* n = new TNode(NilTag{});
    n->AddRef();
    n->MakePermanent();
    return n;
  }();
  return nil;
}

Ref<TNode> TNode::Nil() { return Ref<TNode>(NilPointer()); }

bool TNode::IsNil() const noexcept { return this == NilPointer(); }

TNode::TNode() : _parent(Nil()), _left(_parent), _right(_parent) {}

Ref<TNode> TNode::NextNode() const { return Ref<TNode>(Step(this, true)); }

Ref<TNode> TNode::PrevNode() const { return Ref<TNode>(Step(this, false)); }

int32_t TNode::Clear() {
  if (IsNil()) return 0;
  // An explicit stack rather than recursion: each node is released on its
  // own, never from inside another node's destructor.
  Ref<TNode> nil = Nil();
  std::vector<Ref<TNode>> pending{Ref<TNode>(this)};
  while (!pending.empty()) {
    Ref<TNode> n = std::move(pending.back());
    pending.pop_back();
    for (Ref<TNode>* link : {&n->_left, &n->_right}) {
      if (!End(link->Get())) pending.push_back(std::move(*link));
      *link = nil;
    }
    n->_parent = nil;
  }
  return 0;
}

Ref<TNode> TNode::Copy(const Ref<TNode>& parent) const {
  if (IsNil()) return Nil();
  Ref<TNode> c = New<TNode>();
  c->_key = _key;
  c->_value = _value;
  c->_color = _color;
  c->_parent = parent;
  try {
    // The depth is the tree's height, which balancing keeps near 2 log n.
    c->_left = End(_left.Get()) ? Nil() : _left->Copy(c);
    c->_right = End(_right.Get()) ? Nil() : _right->Copy(c);
  } catch (...) {
    c->Clear();  // children point back at c
    throw;
  }
  return c;
}

// ---- walks ----

TNodeIterator& TNodeIterator::operator++() {
  if (End(park_.Get())) {
    park_ = nullptr;
    owner_ = nullptr;  // last: letting go may destroy the map, which clears its nodes
  } else {
    current_ = std::move(park_);
    park_ = Ref<TNode>(Step(current_.Get(), true));
  }
  return *this;
}

Ref<Object> TNodeEnumerator::NextObject() {
  if (!HasNext()) {
    map_ = nullptr;
    return nullptr;
  }
  Ref<TNode> n = _node;
  _node = n->NextNode();
  // Past the last node the map may go; n keeps its key and value when the
  // map's end clears its links.
  if (!HasNext()) map_ = nullptr;
  return Take(n);
}

// ---- TMap ----

TMap::TMap() : _root(TNode::Nil()) {}

TMap::~TMap() { Clear(); }

int32_t TMap::Clear() {
  Ref<TNode> root = std::move(_root);
  _root = TNode::Nil();
  count_ = 0;
  if (root) root->Clear();
  return 0;
}

int32_t TMap::IsEmpty() const { return End(_root.Get()); }

TNode* TMap::Find(const Ref<Object>& key) const {
  TNode* n = _root.Get();
  while (!End(n)) {
    int32_t c = CompareObjects(key, n->_key);
    if (c == 0) return n;
    n = Child(*n, c > 0).Get();
  }
  return TNode::Nil().Get();
}

int32_t TMap::Insert(const Ref<Object>& key, const Ref<Object>& value) {
  // Every Compare happens before the tree is touched, so one that throws
  // leaves the map as it was.
  TNode* parent = nullptr;
  int32_t c = 0;
  for (TNode* n = _root.Get(); !End(n); n = Child(*n, c > 0).Get()) {
    c = CompareObjects(key, n->_key);
    if (c == 0) {
      n->_value = value;
      return 0;
    }
    parent = n;
  }
  Ref<TNode> node = New<TNode>();
  node->_key = key;
  node->_value = value;
  ++count_;
  if (!parent) {
    _root = node;
  } else {
    node->_parent = Ref<TNode>(parent);
    Child(*parent, c > 0) = node;
  }
  _InsertFixup(std::move(node));
  return 0;
}

int32_t TMap::Contains(const Ref<Object>& key) const { return !Find(key)->IsNil(); }

Ref<Object> TMap::ValueForKey(const Ref<Object>& key) const { return Find(key)->_value; }

int32_t TMap::Remove(const Ref<Object>& key) {
  TNode* n = Find(key);
  if (n->IsNil()) return 0;
  _RemoveNode(Ref<TNode>(n));
  --count_;
  return 1;
}

template <class Walk>
Ref<Walk> TMap::StartWalk() const {
  Ref<Walk> walk = New<Walk>();
  walk->_node = _FirstNode();
  if (walk->HasNext()) walk->map_ = Ref<const TMap>(this);
  return walk;
}

template <class Walk>
Ref<TMapEnumerator> TMap::Enumerate() const {
  Ref<TMapEnumerator> e = New<TMapEnumerator>();
  e->_enumerator = StartWalk<Walk>();
  return e;
}

Ref<TMapEnumerator> TMap::Keys() const { return Enumerate<TKeyEnumerator>(); }

Ref<TMapEnumerator> TMap::Values() const { return Enumerate<TValueEnumerator>(); }

Ref<TNodeEnumerator> TMap::ObjectEnumerator() const { return StartWalk<TNodeEnumerator>(); }

Ref<TMap> TMap::Copy() const {
  Ref<TMap> copy = New<TMap>();
  if (!IsEmpty()) copy->_root = _root->Copy(TNode::Nil());
  copy->count_ = count_;
  return copy;
}

Ref<TNode> TMap::_FirstNode() const {
  if (IsEmpty()) return TNode::Nil();
  TNode* n = _root.Get();
  while (!End(n->_left.Get())) n = n->_left.Get();
  return Ref<TNode>(n);
}

Ref<TNode> TMap::_LastNode() const {
  if (IsEmpty()) return TNode::Nil();
  TNode* n = _root.Get();
  while (!End(n->_right.Get())) n = n->_right.Get();
  return Ref<TNode>(n);
}

Ref<TNode> TMap::_FindNode(const Ref<Object>& key) const { return Ref<TNode>(Find(key)); }

// ---- balancing ----

void TMap::Replace(const Ref<TNode>& old, const Ref<TNode>& with) {
  TNode* p = old->_parent.Get();
  if (End(p)) {
    _root = with;
  } else {
    Child(*p, p->_right == old) = with;
  }
}

// A left rotation lifts node's right child into its place; a right rotation
// its left child.
void TMap::Rotate(Ref<TNode> x, bool left) {
  Ref<TNode> y = Child(*x, left);
  Child(*x, left) = Child(*y, !left);
  if (!End(Child(*y, !left).Get())) Child(*y, !left)->_parent = x;
  y->_parent = x->_parent;
  Replace(x, y);
  Child(*y, !left) = x;
  x->_parent = y;
}

void TMap::_InsertFixup(Ref<TNode> z) {
  while (z->_parent->_color == TNode::RED) {
    // A red parent is never the root, so the grandparent is a real node.
    Ref<TNode> p = z->_parent;
    Ref<TNode> g = p->_parent;
    bool left = p == g->_left;
    const Ref<TNode>& uncle = Child(*g, left);
    if (uncle->_color == TNode::RED) {
      p->_color = TNode::BLACK;
      uncle->_color = TNode::BLACK;
      g->_color = TNode::RED;
      z = std::move(g);
    } else {
      if (z == Child(*p, left)) {
        z = std::move(p);
        Rotate(z, left);
        p = z->_parent;
      }
      p->_color = TNode::BLACK;
      g->_color = TNode::RED;
      Rotate(g, !left);
    }
  }
  _root->_color = TNode::BLACK;
}

void TMap::_RemoveNode(const Ref<TNode>& node) {
  // The removed key and value are released last, when the tree is whole again:
  // their destructors may run any code.
  Ref<Object> oldKey, oldValue;
  Ref<TNode> out = node;  // the node that leaves the tree
  if (!End(node->_left.Get()) && !End(node->_right.Get())) {
    out = node->_left;
    while (!End(out->_right.Get())) out = out->_right;
    oldKey = std::move(node->_key);
    oldValue = std::move(node->_value);
    node->_key = out->_key;
    node->_value = out->_value;
  }
  Ref<TNode> child = End(out->_left.Get()) ? out->_right : out->_left;
  Ref<TNode> parent = out->_parent;
  if (!End(child.Get())) child->_parent = parent;
  Replace(out, child);
  // out keeps its own links, so a walk parked on it can still move on.
  if (out->_color == TNode::BLACK) _DeleteFixup(std::move(child), std::move(parent));
}

void TMap::_DeleteFixup(Ref<TNode> x, Ref<TNode> parent) {
  // x carries an extra black. Its sibling is a real node: the other side of
  // parent holds at least one black node more than x's side.
  while (x != _root && x->_color == TNode::BLACK) {
    bool left = x == parent->_left;
    Ref<TNode> w = Child(*parent, left);
    if (w->_color == TNode::RED) {
      w->_color = TNode::BLACK;
      parent->_color = TNode::RED;
      Rotate(parent, left);
      w = Child(*parent, left);
    }
    if (Child(*w, !left)->_color == TNode::BLACK && Child(*w, left)->_color == TNode::BLACK) {
      w->_color = TNode::RED;
      x = std::move(parent);
      parent = x->_parent;
    } else {
      if (Child(*w, left)->_color == TNode::BLACK) {
        Child(*w, !left)->_color = TNode::BLACK;
        w->_color = TNode::RED;
        Rotate(w, !left);
        w = Child(*parent, left);
      }
      w->_color = parent->_color;
      parent->_color = TNode::BLACK;
      Child(*w, left)->_color = TNode::BLACK;
      Rotate(parent, left);
      x = _root;
    }
  }
  if (!x->IsNil()) x->_color = TNode::BLACK;  // the shared nil node is never written
}

}  // namespace vtl
