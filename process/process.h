/// \file
/// Child processes: commands started on three pipes, their pipe streams, and ending them.
#pragma once

namespace vtl {

/// Initialises the modules this library builds on and registers its classes.
/// Runs once.
void InitProcess();

}  // namespace vtl
