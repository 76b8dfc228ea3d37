/// \file
/// The two registries of types, by lower-cased name and by class record, and
/// the built-in types.
#pragma once

#include <cstddef>

#include "reflect/type_id.h"
#include "runtime/map.h"

namespace vtl::detail {

/// Every type the program knows; lives until the process ends.
struct TypeRegistry {
  Ref<TMap> names;    ///< lower-cased name -> TTypeId
  Ref<TMap> classes;  ///< TClass -> TTypeId
  /// The built-in types.
  ///@{
  Ref<TTypeId> byteType, shortType, intType, longType, floatType, doubleType;
  Ref<TTypeId> stringType, objectType, baseArrayType;
  ///@}
  size_t classesSeen = 0;  ///< Class records already made into types.
};

/// The registries, made with the built-in types on first use.
TypeRegistry& Types();
/// The type registered under name (any case), without looking for new classes.
Ref<TTypeId> LookUpName(const String& name);
/// The type of a class record, without looking for new classes.
Ref<TTypeId> LookUpClass(const ClassRecord& cls);

}  // namespace vtl::detail
