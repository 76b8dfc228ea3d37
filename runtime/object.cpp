#include "runtime/object.h"

#include "runtime/class_record.h"
#include "runtime/string.h"

namespace vtl {

Object::~Object() = default;

String Object::ToString() const { return String::FromText(Class().BareName()); }

int32_t Object::Compare(const Ref<Object>& other) const { return CompareIdentity(this, other.Get()); }

Ref<Object> Object::SendMessage(const Ref<Object>&, const Ref<Object>&) { return nullptr; }

}  // namespace vtl
