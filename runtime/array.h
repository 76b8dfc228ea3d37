/// \file
/// Arrays: counted objects with an element type tag, a dimension count and
/// sizes. Elements start as 0, the empty string or the Null object. A
/// multi-dimensional array stores its last index fastest; every index is
/// checked and a bad one throws TArrayBoundsException.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "runtime/exceptions.h"
#include "runtime/object.h"
#include "runtime/type_tag.h"

namespace vtl {

/// What every array has, whatever its element type: the sizes, and element
/// access through Value for code that knows only the element tag.
class ArrayBase : public Object {
 public:
  /// The number of elements, all dimensions together.
  int32_t Length() const noexcept { return length_; }
  /// The size of each dimension, first to last.
  const std::vector<int32_t>& Dimensions() const noexcept { return dims_; }
  /// Tag of the element type ("i", "$", ":TList", ...).
  virtual std::string ElementTag() const = 0;
  /// Element access by flat index through Value, for code that knows only the tag.
  ///@{
  virtual Value GetElement(int32_t index) const = 0;
  virtual void SetElement(int32_t index, const Value& value) = 0;
  ///@}

 protected:
  /// Takes the sizes; a negative size, or more elements than an int32_t
  /// counts, raises "Array dimension out of range".
  explicit ArrayBase(std::initializer_list<int32_t> dims) : dims_(dims) {
    int64_t count = 1;
    for (int32_t d : dims_) {
      if (d < 0) RuntimeError("Array dimension out of range");
      count *= d;
      if (count > std::numeric_limits<int32_t>::max()) RuntimeError("Array dimension out of range");
    }
    length_ = static_cast<int32_t>(count);
  }
  /// Throws TArrayBoundsException unless 0 <= index < Length().
  void CheckIndex(int32_t index) const {
    if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(length_)) ThrowArrayBounds();
  }
  /// The flat index of one index per dimension, the last fastest. Throws
  /// TArrayBoundsException for a wrong number of indices or one out of range.
  template <class... I>
  int32_t FlatIndex(I... indices) const {
    if (sizeof...(I) != dims_.size()) ThrowArrayBounds();
    int32_t flat = 0;
    size_t k = 0;
    for (int32_t i : {static_cast<int32_t>(indices)...}) {
      if (static_cast<uint32_t>(i) >= static_cast<uint32_t>(dims_[k])) ThrowArrayBounds();
      flat = flat * dims_[k] + i;
      ++k;
    }
    return flat;
  }

 private:
  std::vector<int32_t> dims_;
  int32_t length_ = 0;
};

/// An array of T; make one with NewArray. Elements start as T's value
/// initialisation: 0, the empty string or the Null object.
template <class T>
class Array final : public ArrayBase {
 public:
  /// The element type.
  using ElementType = T;

  /// An array with these sizes, one per dimension (see ArrayBase).
  explicit Array(std::initializer_list<int32_t> dims) : ArrayBase(dims), items_(static_cast<size_t>(Length())) {}

  /// Element by flat index; throws TArrayBoundsException outside 0 .. Length() - 1.
  ///@{
  T& operator[](int32_t index) {
    CheckIndex(index);
    return items_[static_cast<size_t>(index)];
  }
  const T& operator[](int32_t index) const {
    CheckIndex(index);
    return items_[static_cast<size_t>(index)];
  }
  ///@}
  /// Element by one index per dimension, the last fastest.
  ///@{
  template <class... I>
  T& At(I... indices) {
    return items_[static_cast<size_t>(FlatIndex(indices...))];
  }
  template <class... I>
  const T& At(I... indices) const {
    return items_[static_cast<size_t>(FlatIndex(indices...))];
  }
  ///@}

  /// The elements in flat order, unchecked.
  ///@{
  T* Data() noexcept { return items_.data(); }
  const T* Data() const noexcept { return items_.data(); }
  ///@}
  /// Iteration over the elements in flat order, for range-for.
  ///@{
  auto begin() noexcept { return items_.begin(); }
  auto end() noexcept { return items_.end(); }
  auto begin() const noexcept { return items_.begin(); }
  auto end() const noexcept { return items_.end(); }
  ///@}

  std::string ElementTag() const override { return TypeTagOf<T>(); }
  Value GetElement(int32_t index) const override { return ValueTraits<T>::ToValue((*this)[index]); }
  void SetElement(int32_t index, const Value& value) override { (*this)[index] = ValueTraits<T>::FromValue(value); }

 private:
  std::vector<T> items_;
};

/// A new array of T with one size per dimension: `NewArray<int32_t>({3, 4})`.
template <class T>
Ref<Array<T>> NewArray(std::initializer_list<int32_t> dims) {
  return New<Array<T>>(dims);
}

}  // namespace vtl
