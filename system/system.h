/// \file
/// The system library: hooks and events, the event queue, polled input, the
/// SDL2 system driver and timers. Everything this header includes is the
/// library's public surface.
#pragma once

#include "system/event.h"
#include "system/event_queue.h"
#include "system/hooks.h"
#include "system/joystick.h"
#include "system/keys.h"
#include "system/polled_input.h"
#include "system/sdl_system_driver.h"
#include "system/system_driver.h"
#include "system/timer.h"

namespace vtl {

/// Initialises the runtime, then hooks, events, the system driver, joysticks,
/// the event queue, polled input and timers, once.
void InitSystem();

}  // namespace vtl
