#include "reflect/internal/value_text.h"

#include <utility>

#include "runtime/exceptions.h"
#include "runtime/string_ops.h"
#include "runtime/type_tag.h"

namespace vtl::detail {

char ValueTagOf(std::string_view tag) {
  constexpr std::string_view kValueTags = "bsilfd$";
  return tag.size() == 1 && kValueTags.find(tag[0]) != std::string_view::npos ? tag[0] : 0;
}

Ref<Object> ValueToObject(char valueTag, const Value& value) {
  switch (valueTag) {
    case 'b':
    case 's':
    case 'i': return StringFromInt(static_cast<int32_t>(value.i));
    case 'l': return StringFromLong(value.i);
    case 'f': return StringFromFloat(static_cast<float>(value.d));
    case 'd': return StringFromDouble(value.d);
    default: return value.o;
  }
}

String TextOf(const Ref<Object>& object) { return object ? object->ToString() : String(); }

void RefuseValue(const SlotName& slot, const TTypeId& type, const Object& given) {
  RuntimeError("ERROR", slot() + " takes " + type._name + "; the given " + String::FromText(TypeNameOfObject(given)) +
                            " does not fit");
}

std::optional<Value> NumberFromText(char valueTag, const Ref<Object>& object) {
  Value out;
  switch (valueTag) {
    // Integers are stored at their width: 300 into a Byte keeps 44.
    case 'b': out.i = static_cast<uint8_t>(StringToInt(TextOf(object))); return out;
    case 's': out.i = static_cast<uint16_t>(StringToInt(TextOf(object))); return out;
    case 'i': out.i = StringToInt(TextOf(object)); return out;
    case 'l': out.i = StringToLong(TextOf(object)); return out;
    case 'f': out.d = StringToFloat(TextOf(object)); return out;
    case 'd': out.d = StringToDouble(TextOf(object)); return out;
    default: return std::nullopt;
  }
}

Value ObjectToValue(const TTypeId& type, const Ref<Object>& object, const SlotName& slot) {
  if (std::optional<Value> number = NumberFromText(type._valueTag, object)) return std::move(*number);
  Value out;
  switch (type._valueTag) {
    case '$':
      // A string slot must only ever hold a string.
      if (object && !AsString(object)) RefuseValue(slot, type, *object);
      out.o = object ? object : Ref<Object>(String());
      return out;
    default: break;
  }
  if (!object) return out;
  bool fits = false;
  if (type._elementType) {
    Ref<TTypeId> actual = TTypeId::ForObject(object);
    fits = actual && actual->ExtendsType(Ref<TTypeId>(const_cast<TTypeId*>(&type)));
  } else if (type._class) {
    fits = object->Class().Extends(*type._class);
  }
  if (!fits) RefuseValue(slot, type, *object);
  out.o = object;
  return out;
}

}  // namespace vtl::detail
