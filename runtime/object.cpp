#include "runtime/object.h"

#include "runtime/class_record.h"
#include "runtime/string.h"

namespace vtl {

Object::~Object() = default;

void Object::Dispose() const noexcept {
  if (!lastReleaseDone_) {
    lastReleaseDone_ = true;
    refs_ = 1;
    const_cast<Object*>(this)->OnLastRelease();
    if (--refs_ != 0) return;
  }
  delete this;
}

String Object::ToString() const { return String::FromText(Class().BareName()); }

int32_t Object::Compare(const Ref<Object>& other) const { return CompareIdentity(this, other.Get()); }

Ref<Object> Object::SendMessage(const Ref<Object>&, const Ref<Object>&) { return nullptr; }

}  // namespace vtl
