/// \file
/// Reflection: type ids for every registered class and array type, their fields and methods, read, written and called
/// by name.
#pragma once

#include "reflect/member.h"
#include "reflect/type_id.h"

namespace vtl {

/// Initialises the modules this library builds on, makes the registries with
/// the built-in types and registers its classes. Runs once.
void InitReflect();

}  // namespace vtl
