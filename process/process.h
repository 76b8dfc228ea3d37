/// \file
/// Child processes: commands started on three pipes, their pipe streams, and ending them.
#pragma once

#include "process/child_process.h"
#include "process/pipe_stream.h"
#include "process/process_functions.h"

namespace vtl {

/// Initialises the modules this library builds on and registers its classes.
/// Runs once.
void InitProcess();

}  // namespace vtl
