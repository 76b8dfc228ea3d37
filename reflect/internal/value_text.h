/// \file
/// How values cross the reflection interface: primitive values travel as
/// their text, strings and objects as themselves.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "reflect/type_id.h"
#include "runtime/value.h"

namespace vtl::detail {

/// The one-character tag of a primitive or string tag, 0 for object and array tags.
char ValueTagOf(std::string_view tag);
/// A value read from a field, element or result of that value tag, as an
/// object: numbers as their text, strings and objects as they are.
Ref<Object> ValueToObject(char valueTag, const Value& value);
/// Names the slot a value goes to ("Field 'text' of TSample"); asked only
/// when the value is refused.
using SlotName = std::function<String()>;
/// For a numeric value tag, the object's text (TextOf) read as that type,
/// integers kept at their width; nullopt for other tags.
std::optional<Value> NumberFromText(char valueTag, const Ref<Object>& object);
/// object converted for storing into a value of type; raises "ERROR" when it
/// does not fit (a non-string for String, an object of another class), with
/// a detail that names the slot, its type and the given object's type.
Value ObjectToValue(const TTypeId& type, const Ref<Object>& object, const SlotName& slot);
/// Raises "ERROR" with the detail "<slot> takes <type>; the given <given's
/// type> does not fit".
[[noreturn]] void RefuseValue(const SlotName& slot, const TTypeId& type, const Object& given);
/// The object's text; "" for the Null object.
String TextOf(const Ref<Object>& object);

}  // namespace vtl::detail
