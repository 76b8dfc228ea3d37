// Polled input: key, character, button, pointer and window-close state built
// from the emitted events, for loops that ask rather than listen. Every query
// pumps pending desktop messages first.
#pragma once

#include <cstdint>

#include "runtime/object.h"

namespace vtl {

// Starts recording (only events from `source` unless it is the Null object).
void StartPolledInput(const Ref<Object>& source);
void StopPolledInput();

int32_t TakeKeyHits(int32_t key);
int32_t KeyIsDown(int32_t key);
int32_t TakeTypedChar();
int32_t TakeTerminateRequest();
int32_t IsAppSuspended();
int32_t PointerX();
int32_t PointerY();
int32_t WheelPosition();
int32_t TakeButtonHits(int32_t button);
int32_t ButtonIsDown(int32_t button);

// Forget keys, hits and typed characters.
void FlushInput();
// Forget buttons, their hits and the wheel position (the pointer stays).
void FlushPointer();

// Block until a key is hit / a character typed / a button pressed. Called
// from inside a pump (an event hook), they return 0 at once instead of
// waiting for input that could never be pumped.
int32_t WaitAnyKey();
int32_t WaitTypedChar();
int32_t WaitAnyButton();

// Called once by InitSystem.
void InitPolledInput();

}  // namespace vtl
