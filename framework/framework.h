/// \file
/// The whole framework: every library's umbrella header, and InitFramework,
/// which initialises every framework module once each, in the program's order.
#pragma once

#include "audio/audio.h"
#include "framework/frame_run.h"
#include "graphics/graphics.h"
#include "image/image.h"
#include "net/net.h"
#include "process/process.h"
#include "reflect/reflect.h"
#include "runtime/runtime.h"
#include "stream/stream.h"
#include "system/system.h"

namespace vtl {

/// Every framework module, each once, in the program's fixed order: runtime,
/// streams, system, images, graphics, audio, networking, reflection,
/// child processes.
void InitFramework();

}  // namespace vtl
