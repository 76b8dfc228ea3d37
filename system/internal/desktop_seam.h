// The seam between the system driver and the graphics drivers that make
// desktop windows: starting SDL video, and the window procedures the pump
// hands each window's events to. Private to the system library except for
// the graphics library, whose drivers make the windows (it names SDL's event
// type); it is not part of the program's surface and is not installed.
#pragma once

#include <cstdint>

#include "runtime/object.h"

union SDL_Event;

namespace vtl {

// Starts SDL video (for windows) once; true when it is running. From then on
// the pump takes the events of every window.
bool StartDesktopVideo();

// A window procedure: gets every SDL event of its window during the pump. It
// is expected to call TranslateDesktopMessage with its own event source
// before doing its own window handling. Events of windows without a
// procedure are translated with the Null object as source.
using DesktopWindowProc = void (*)(const SDL_Event& event, void* context);
void RegisterDesktopWindow(uint32_t windowId, DesktopWindowProc proc, void* context);
// Forgets the procedure and, if the pointer was tracked in the window, the
// tracking (without a leave event: the window is going away).
void UnregisterDesktopWindow(uint32_t windowId);

// Turns one SDL window, quit, keyboard, text or mouse event into TEvents with
// the given source.
void TranslateDesktopMessage(const SDL_Event& event, const Ref<Object>& source = nullptr);

}  // namespace vtl
