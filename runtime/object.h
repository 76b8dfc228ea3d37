/// \file
/// Objects and references: every class of the framework derives from Object,
/// which carries an intrusive reference count. Ref<T> is the handle that
/// counts; an empty Ref is the Null object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace vtl {

class String;
class Object;
struct ClassRecord;
template <class T>
class Ref;

/// Raises TNullObjectException. Out of line so that every Ref dereference
/// stays a compare and a rarely taken call.
[[noreturn]] void ThrowNullObject();

/// The root of every class of the framework. An object lives on the heap,
/// carries its own reference count and is shared through Ref; it is deleted
/// when its last reference goes. Objects are never copied or moved: a copy
/// would start with the original's fields but a count of its own, and a
/// moved-from object would still be referenced.
class Object {
 public:
  /// A new object, with no references yet.
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object();

  /// Text form of the object; the base gives the class name.
  virtual String ToString() const;
  /// Ordering: negative, 0 or positive. The base orders by identity.
  virtual int32_t Compare(const Ref<Object>& other) const;
  /// Generic message entry; the base answers with the Null object.
  virtual Ref<Object> SendMessage(const Ref<Object>& message, const Ref<Object>& context);

  /// The record of the most derived registered class this object belongs to.
  const ClassRecord& Class() const;

  // Counts are plain integers: an object belongs to one thread at a time.
  // Other threads never touch the main thread's objects; they post calls to it.
  // The count of a permanent object (the shared empty string, for one) no
  // longer changes, so every thread may copy and drop references to it.

  /// Adds a reference.
  void AddRef() const noexcept {
    if (refs_ < kPermanent) ++refs_;
  }
  /// Releases a reference; the last one disposes of the object.
  void Release() const noexcept {
    if (refs_ < kPermanent && --refs_ == 0) Dispose();
  }
  /// The number of references held now.
  int32_t RefCount() const noexcept { return refs_; }

  /// Makes the object live until the process ends, whatever its references
  /// do; from then on its count stays as it is. Must be done before other
  /// threads can reach the object.
  void MakePermanent() const noexcept {
    if (refs_ < kPermanent) refs_ += kPermanent;
  }

 protected:
  /// The class's own work when its last reference goes, done while the object
  /// is still whole, so that virtual calls reach the most derived class (a
  /// destructor no longer can). It runs once per object, with the object held
  /// by one temporary reference: a reference it stores elsewhere keeps the
  /// object alive, and the object is deleted when that one goes. Streams close
  /// themselves here. It must not throw.
  virtual void OnLastRelease() noexcept {}

 private:
  // Runs OnLastRelease once, then deletes the object unless it was kept.
  void Dispose() const noexcept;

  static constexpr int32_t kPermanent = 1 << 30;
  mutable int32_t refs_ = 0;
  mutable bool lastReleaseDone_ = false;
};

/// Intrusive counted handle. Copying adds a reference, destruction releases one.
/// An empty Ref is the Null object; `ref == nullptr` tests for it.
template <class T>
class Ref {
 public:
  /// The class of the object referred to.
  using element_type = T;

  /// The Null object.
  ///@{
  constexpr Ref() noexcept = default;
  constexpr Ref(std::nullptr_t) noexcept {}
  ///@}
  /// Shares an existing object (the count is in the object, so this is safe
  /// for any heap object already held elsewhere, `this` included). Explicit:
  /// <code>Ref<T> r = \&member;</code> would count, and later delete, an object the heap
  /// never gave out.
  explicit Ref(T* p) noexcept : p_(p) {
    if (p_) p_->AddRef();
  }
  /// A copy adds a reference; a move takes the other's over and leaves the
  /// Null object there. A `Ref<U>` converts when `U*` converts to `T*`.
  ///@{
  Ref(const Ref& o) noexcept : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U>
  requires std::is_convertible_v<U*, T*> Ref(const Ref<U>& o)
  noexcept : p_(o.Get()) {
    if (p_) p_->AddRef();
  }
  template <class U>
  requires std::is_convertible_v<U*, T*> Ref(Ref<U>&& o)
  noexcept : p_(o.Detach()) {}
  ///@}
  /// Releases the reference held, if any.
  ~Ref() {
    if (p_) p_->Release();
  }

  /// The old object is released after the new one is taken, so assigning a
  /// Ref to itself is safe; assigning nullptr makes this the Null object.
  ///@{
  Ref& operator=(const Ref& o) noexcept {
    Ref(o).Swap(*this);
    return *this;
  }
  Ref& operator=(Ref&& o) noexcept {
    Ref(std::move(o)).Swap(*this);
    return *this;
  }
  Ref& operator=(std::nullptr_t) noexcept {
    Ref().Swap(*this);
    return *this;
  }
  ///@}

  /// Member access through the Null object throws TNullObjectException.
  ///@{
  T* operator->() const {
    if (!p_) ThrowNullObject();
    return p_;
  }
  T& operator*() const {
    if (!p_) ThrowNullObject();
    return *p_;
  }
  ///@}

  /// The object, or nullptr for the Null object; the count is unchanged.
  T* Get() const noexcept { return p_; }
  /// True unless this is the Null object.
  explicit operator bool() const noexcept { return p_ != nullptr; }
  /// Hands the reference over to the caller (who must release it) and
  /// leaves the Null object behind.
  T* Detach() noexcept { return std::exchange(p_, nullptr); }
  /// Exchanges the objects of two Refs; no count changes.
  void Swap(Ref& o) noexcept { std::swap(p_, o.p_); }

  /// Same object (identity, not Compare); any two Ref types compare.
  template <class U>
  bool operator==(const Ref<U>& o) const noexcept {
    return static_cast<const Object*>(p_) == static_cast<const Object*>(o.Get());
  }
  /// True for the Null object.
  bool operator==(std::nullptr_t) const noexcept { return p_ == nullptr; }

 private:
  T* p_ = nullptr;
};

/// Creates an instance and returns the first reference to it.
///
/// A class whose instances join a chain when they are made (loaders, stream
/// factories, drivers, data types) declares `static void AfterNew(const
/// Ref<Base>&)`; New calls it, for that class and every class derived from
/// it, once the object is whole. A constructor that throws therefore leaves
/// nothing behind in the chain.
template <class T, class... Args>
Ref<T> New(Args&&... args) {
  Ref<T> made(new T(std::forward<Args>(args)...));
  if constexpr (requires { T::AfterNew(made); }) T::AfterNew(made);
  return made;
}

/// The object as a T when it is one (or derives from one), else the Null object.
template <class T>
Ref<T> DowncastObject(const Ref<Object>& ref) {
  return Ref<T>(dynamic_cast<T*>(ref.Get()));
}

/// Identity order used by the base Compare and by anything keyed on objects:
/// -1, 0 or 1 as the address of a is below, at or above b.
inline int32_t CompareIdentity(const void* a, const void* b) { return a < b ? -1 : (a == b ? 0 : 1); }

}  // namespace vtl
