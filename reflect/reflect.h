/// \file
/// Reflection: type ids for every registered class and array type, their fields and methods, read, written and called
/// by name.
#pragma once

namespace vtl {

/// Initialises the modules this library builds on and registers its classes.
/// Runs once.
void InitReflect();

}  // namespace vtl
