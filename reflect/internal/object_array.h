/// \file
/// Arrays of objects made by reflection for an element type known only by
/// its tag (":TList", "[]i"): they keep that tag, so the array's type is
/// found again from it.
#pragma once

#include <string>
#include <vector>

#include "runtime/array.h"

namespace vtl::detail {

/// A one-dimensional array of objects with a given element tag.
class TaggedObjectArray final : public ArrayBase {
 public:
  /// length Null objects of the element tag.
  TaggedObjectArray(std::string tag, int32_t length)
      : ArrayBase({length}), tag_(std::move(tag)), items_(static_cast<size_t>(Length())) {}

  std::string ElementTag() const override { return tag_; }
  Value GetElement(int32_t index) const override {
    CheckIndex(index);
    return Value{0, 0, items_[static_cast<size_t>(index)]};
  }
  void SetElement(int32_t index, const Value& value) override {
    CheckIndex(index);
    items_[static_cast<size_t>(index)] = value.o;
  }

 private:
  std::string tag_;
  std::vector<Ref<Object>> items_;
};

}  // namespace vtl::detail
