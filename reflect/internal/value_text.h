/// \file
/// How values cross the reflection interface: primitive values travel as
/// their text, strings and objects as themselves.
#pragma once

#include <string_view>

#include "reflect/type_id.h"
#include "runtime/value.h"

namespace vtl::detail {

/// The one-character tag of a primitive or string tag, 0 for object and array tags.
char ValueTagOf(std::string_view tag);
/// A value read from a field, element or result of that value tag, as an
/// object: numbers as their text, strings and objects as they are.
Ref<Object> ValueToObject(char valueTag, const Value& value);
/// object converted for storing into a value of type; raises "ERROR" when it
/// does not fit (a non-string for String, an object of another class).
Value ObjectToValue(const TTypeId& type, const Ref<Object>& object);
/// The object's text; "" for the Null object.
String TextOf(const Ref<Object>& object);

}  // namespace vtl::detail
