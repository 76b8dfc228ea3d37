// Shared by the system tests: starts the library once, records every event
// that is emitted, and pushes synthetic SDL events into the real pump.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "system/system.h"

namespace systest {

// Every event emitted since the last ClearRecorded, in order, as it was when
// emitted; and the emitted objects themselves.
std::vector<vtl::Ref<vtl::TEvent>>& Recorded();
std::vector<vtl::Ref<vtl::TEvent>>& RecordedOriginals();
void ClearRecorded();
// "KeyDown:160:1" per event (id name, data, mods), for readable comparisons.
std::vector<std::string> RecordedSummary();

// Starts the library, polled input and the recorder (once per process).
void StartSystem();
// Absorbs pending desktop input and forgets all polled and queued state.
void ResetInput();

// Starts desktop video on the named SDL video driver ("x11" for the X
// display, "dummy" for windows that only exist for synthetic events), leaving
// whatever driver an earlier test of the process chose.
bool StartVideoDriver(const char* driver);
// Runs xdotool with these arguments on another thread while the main thread
// keeps pumping, then pumps a little longer for the last events to arrive.
// Returns xdotool's exit status.
int XdotoolWhilePumping(const std::string& arguments);

void PushKey(uint32_t type, SDL_Scancode scancode, SDL_Keycode sym, uint16_t mod = 0, uint8_t repeat = 0,
             uint32_t windowId = 0);
void PushText(const char* utf8, uint32_t windowId = 0);
void PushWindowEvent(uint8_t which, uint32_t windowId = 0);
void PushMotion(uint32_t windowId, int32_t x, int32_t y, uint32_t buttonState = 0);
void PushButton(uint32_t type, uint8_t button, uint32_t windowId, int32_t x, int32_t y);
void PushWheel(uint32_t windowId, int32_t steps, bool flipped, int32_t x, int32_t y);

}  // namespace systest
