/// \file
/// TMap: an ordered map from key objects to value objects, kept as a
/// red-black tree ordered by the keys' own Compare (strings by text, plain
/// objects by identity). Walks come in ascending key order.
///
/// Every missing child, the root's parent and the empty tree are one shared
/// nil node, recognised by identity (TNode::IsNil). Nodes hold counted
/// references to their parent and children; the map breaks those cycles when
/// it is cleared or destroyed.
///
/// Range-for parks on the next node before the loop body runs, as a list walk
/// does, so removing the entry just returned is safe:
///
///     for (const Ref<TNode>& n : *map) use(n->Key(), n->Value());
///     for (Ref<Object> key : map->Keys()) ...
///
/// Other changes to a map during a walk are safe (no crash, the walk ends) but
/// the walk may then skip or repeat entries.
///
/// A walk (an enumerator, or range-for over the map) keeps its map alive until
/// it ends, so a map that nothing else holds, such as one a function has just
/// returned, or one its owner lets go of in the loop body, is still walked
/// whole. A node on its own does not hold its map: NextNode from a node of a
/// map that has gone finds no next node.
#pragma once

#include <cstdint>

#include "runtime/object.h"

namespace vtl {

class TNode;
class TMap;
class TMapEnumerator;
class TNodeEnumerator;

/// One entry of a map: a key and its value.
class TKeyValue : public Object {
 public:
  /// The key.
  Ref<Object> Key() const { return _key; }
  /// The value.
  Ref<Object> Value() const { return _value; }

  Ref<Object> _key;    ///< The key, as first inserted.
  Ref<Object> _value;  ///< The value, replaced by a later insert of an equal key.
};

/// A node of a map's red-black tree.
class TNode : public TKeyValue {
 public:
  /// Colours of a node.
  ///@{
  static constexpr int32_t RED = -1;
  static constexpr int32_t BLACK = 1;
  ///@}

  /// A detached red node: no key, no value, every link the nil node.
  TNode();

  /// The shared nil node.
  static Ref<TNode> Nil();
  /// True for the shared nil node.
  bool IsNil() const noexcept;

  /// The node with the next larger key, or the nil node after the last.
  Ref<TNode> NextNode() const;
  /// The node with the next smaller key, or the nil node before the first.
  Ref<TNode> PrevNode() const;
  /// Detaches the whole subtree below and including this node: every node in
  /// it drops its links (its key and value stay). Returns 0.
  int32_t Clear();
  /// A copy of this subtree with the same shape and colours, sharing keys and
  /// values, hung below parent. The nil node copies to itself.
  Ref<TNode> Copy(const Ref<TNode>& parent) const;

  int32_t _color = RED;  ///< RED or BLACK.
  Ref<TNode> _parent;    ///< The parent, the nil node for the root.
  Ref<TNode> _left;      ///< Smaller keys, the nil node when none.
  Ref<TNode> _right;     ///< Larger keys, the nil node when none.

 private:
  struct NilTag {};
  // The nil node: BLACK, with Null links, so that a stray walk through it
  // throws instead of looping.
  explicit TNode(NilTag) { _color = BLACK; }
  static TNode* NilPointer();
};

/// Range-for over nodes from a start node. It parks on the next node before
/// handing out the current one, so the loop body may remove the entry it was
/// given.
class TNodeIterator {
 public:
  /// The end of every walk.
  TNodeIterator() = default;
  /// A walk from first (the nil node gives an empty walk), holding owner (the
  /// map walked) until the walk ends.
  explicit TNodeIterator(Ref<TNode> first, Ref<const Object> owner = nullptr)
      : park_(std::move(first)), owner_(std::move(owner)) {
    ++*this;
  }
  /// The node taken last.
  const Ref<TNode>& operator*() const { return current_; }
  /// Takes the parked node and parks on its successor; at the nil node the
  /// walk ends.
  TNodeIterator& operator++();
  /// Same parked node (every ended walk equals the end).
  bool operator==(const TNodeIterator& o) const { return park_ == o.park_; }

 private:
  Ref<TNode> current_;
  Ref<TNode> park_;          // Null once the walk has ended
  Ref<const Object> owner_;  // Null once the walk has ended
};

/// An ordered map from key objects to value objects. Keys are equal when the
/// searched key's Compare with the stored one gives 0; a Null key is a key
/// like any other, ordered below every object. A key's Compare must not
/// change the map it is compared in. Operations that have nothing to report
/// return 0.
class TMap : public Object {
 public:
  /// An empty map.
  TMap();
  /// Clears the map, which breaks the tree's parent-child cycles.
  ~TMap() override;

  /// Removes every entry.
  int32_t Clear();
  /// True when the map has no entries.
  int32_t IsEmpty() const;
  /// The number of entries, as Insert, Remove and Clear keep it: no walk is
  /// needed to know it.
  int32_t Count() const { return count_; }
  /// Maps key to value. For a key already present only the value is replaced;
  /// the stored key object stays. A Compare that throws leaves the map as it
  /// was.
  int32_t Insert(const Ref<Object>& key, const Ref<Object>& value);
  /// True when key is present.
  int32_t Contains(const Ref<Object>& key) const;
  /// The value for key, or the Null object when key is absent.
  Ref<Object> ValueForKey(const Ref<Object>& key) const;
  /// Removes key's entry: 1 if it was present, else 0. A node with two
  /// children takes its in-order predecessor's key and value, and the
  /// predecessor's node leaves the tree instead.
  int32_t Remove(const Ref<Object>& key);
  /// The keys in ascending order.
  Ref<TMapEnumerator> Keys() const;
  /// The values in ascending order of their keys.
  Ref<TMapEnumerator> Values() const;
  /// A new map with a tree of the same shape and colours, sharing the keys and
  /// values.
  Ref<TMap> Copy() const;
  /// The nodes in ascending key order.
  Ref<TNodeEnumerator> ObjectEnumerator() const;

  /// Range-for over the nodes in ascending key order. The walk holds the
  /// map, so the loop body may let go of it.
  ///@{
  TNodeIterator begin() const { return TNodeIterator(_FirstNode(), Ref<const Object>(this)); }
  TNodeIterator end() const { return {}; }
  ///@}

  /// The node with the smallest key, or the nil node when empty.
  Ref<TNode> _FirstNode() const;
  /// The node with the largest key, or the nil node when empty.
  Ref<TNode> _LastNode() const;
  /// The node whose key equals key, or the nil node.
  Ref<TNode> _FindNode(const Ref<Object>& key) const;

  Ref<TNode> _root;  ///< The root, the nil node when empty.

 private:
  int32_t count_ = 0;
  TNode* Find(const Ref<Object>& key) const;
  // A walk from the first node that holds this map until it ends.
  template <class Walk>
  Ref<Walk> StartWalk() const;
  template <class Walk>
  Ref<TMapEnumerator> Enumerate() const;
  void _RemoveNode(const Ref<TNode>& node);
  void _InsertFixup(Ref<TNode> node);
  void _RotateLeft(const Ref<TNode>& node) { Rotate(node, true); }
  void _RotateRight(const Ref<TNode>& node) { Rotate(node, false); }
  void _DeleteFixup(Ref<TNode> node, Ref<TNode> parent);
  void Rotate(Ref<TNode> node, bool left);
  void Replace(const Ref<TNode>& old, const Ref<TNode>& with);
};

/// A walk over a map's nodes from `_node`, handing out each node. A walk
/// made by a map holds that map until it passes the last node, as a list's
/// walk holds the links ahead of it.
class TNodeEnumerator : public Object {
 public:
  /// An ended walk.
  TNodeEnumerator() : _node(TNode::Nil()) {}

  /// True until the walk passes the last node.
  int32_t HasNext() const { return _node && !_node->IsNil(); }
  /// What this walk hands out for the parked node (see Take); the walk moves
  /// to the next node, and past the last one lets go of its map. After the
  /// end it gives the Null object.
  Ref<Object> NextObject();
  /// What the walk hands out for a node: the node itself here, its key or
  /// value in the derived walks.
  virtual Ref<Object> Take(const Ref<TNode>& node) const { return node; }

  /// Range-for over the rest of the walk (the enumerator itself stays put).
  class Iterator {
   public:
    /// The end of every walk.
    Iterator() = default;
    /// The rest of e's walk.
    explicit Iterator(Ref<TNodeEnumerator> e) : walk_(e->_node), enumerator_(std::move(e)) {}
    /// What the walk hands out for the current node.
    Ref<Object> operator*() const { return enumerator_->Take(*walk_); }
    /// Moves to the next node.
    Iterator& operator++() {
      ++walk_;
      return *this;
    }
    /// Same position.
    bool operator==(const Iterator& o) const { return walk_ == o.walk_; }

   private:
    TNodeIterator walk_;
    Ref<TNodeEnumerator> enumerator_;
  };
  /// The rest of the walk for range-for.
  ///@{
  Iterator begin() { return Iterator(Ref<TNodeEnumerator>(this)); }
  Iterator end() const { return Iterator(); }
  ///@}

  Ref<TNode> _node;  ///< The node handed out next.

 private:
  friend class TMap;
  Ref<const TMap> map_;  // the map walked, Null once the walk has ended
};

/// A walk handing out the keys.
class TKeyEnumerator : public TNodeEnumerator {
 public:
  /// The node's key.
  Ref<Object> Take(const Ref<TNode>& node) const override { return node->_key; }
};

/// A walk handing out the values.
class TValueEnumerator : public TNodeEnumerator {
 public:
  /// The node's value.
  Ref<Object> Take(const Ref<TNode>& node) const override { return node->_value; }
};

/// The object a for-each loop asks for its walk: it wraps a key, value or
/// node walk.
class TMapEnumerator : public Object {
 public:
  /// The wrapped walk.
  Ref<TNodeEnumerator> ObjectEnumerator() const { return _enumerator; }
  /// The wrapped walk for range-for.
  ///@{
  TNodeEnumerator::Iterator begin() const { return _enumerator->begin(); }
  TNodeEnumerator::Iterator end() const { return {}; }
  ///@}

  Ref<TNodeEnumerator> _enumerator;  ///< The walk handed out.
};

/// Range-for straight over the result of Keys() or Values():
/// `for (Ref<Object> key : map->Keys())`.
///@{
inline TNodeEnumerator::Iterator begin(const Ref<TMapEnumerator>& e) { return e->begin(); }
inline TNodeEnumerator::Iterator end(const Ref<TMapEnumerator>&) { return {}; }
///@}

}  // namespace vtl
