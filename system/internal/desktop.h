// Shared between the parts of the SDL desktop layer inside the system
// library.
#pragma once

#include <atomic>
#include <cstdint>

union SDL_Event;

namespace vtl {

// Called once by InitSystem, after InitEvents: installs a TSDLSystemDriver
// as ActiveSystemDriver.
void InitSystemDriver();

}  // namespace vtl

namespace vtl::desktop {

// The SDL event type that carries main-thread calls (0 before start-up).
uint32_t MainThreadCallEventType();
// Runs the call an event carries, once, and frees its record.
void RunMainThreadCall(const SDL_Event& event);
// While a requester blocks on another thread: runs the main-thread calls
// that arrive (timer ticks keep counting) and leaves every other event
// queued for the next pump, until done is set.
void RunMainThreadCallsUntil(const std::atomic<bool>& done);
// True once SDL video runs (pointer, capture and cursor calls need it).
bool VideoRunning();
// Drops pointer tracking of a window that goes away, without a leave event.
void ForgetTrackedWindow(uint32_t windowId);
// Where the pointer is now, in the window's client coordinates: outside the
// window once it has left, however far away.
void PointerInClient(uint32_t windowId, int32_t& x, int32_t& y);

}  // namespace vtl::desktop
