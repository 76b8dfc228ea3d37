/// \file
/// Polled input: key, character, button, pointer and window-close state built
/// from the emitted events, for loops that ask rather than listen. Every query
/// pumps pending desktop messages first.
#pragma once

#include <cstdint>

#include "runtime/object.h"

namespace vtl {

/// Starts recording (only events from `source` unless it is the Null object).
/// Does nothing while recording already runs; otherwise starts from nothing
/// held or hit.
void StartPolledInput(const Ref<Object>& source);
/// Stops recording and forgets what was recorded.
void StopPolledInput();

/// The times the key (a key code, 0 to 255) went down since the last call
/// for it; the count starts again at 0. 0 for a code outside 0 to 255.
int32_t TakeKeyHits(int32_t key);
/// 1 while the key is held, else 0.
int32_t KeyIsDown(int32_t key);
/// The oldest typed character not yet taken (up to 256 are kept), or 0.
int32_t TakeTypedChar();
/// 1 once after a window was closed or the desktop asked the program to
/// quit, then 0 until the next request.
int32_t TakeTerminateRequest();
/// 1 while the program's window has lost the input focus. Losing or getting
/// the focus also forgets keys, buttons and joystick button hits.
int32_t IsAppSuspended();
/// The pointer's position as of the last move.
///@{
int32_t PointerX();
int32_t PointerY();
///@}
/// The wheel steps summed since recording started or the pointer was flushed.
int32_t WheelPosition();
/// As TakeKeyHits, for button 1 left, 2 right or 3 middle.
int32_t TakeButtonHits(int32_t button);
/// 1 while the button (1 to 3) is held, else 0.
int32_t ButtonIsDown(int32_t button);

/// Forget keys, hits, typed characters and joystick button hits.
void FlushInput();
/// Forget buttons, their hits and the wheel position (the pointer stays).
void FlushPointer();

/// \name Waiting for input
/// Block until a key is hit / a character typed / a button pressed. Called
/// from inside a pump (an event hook), they return 0 at once instead of
/// waiting for input that could never be pumped. Input from before the call
/// is flushed first.
///@{

/// Waits for a key to be hit; returns its key code.
int32_t WaitAnyKey();
/// Waits for a character to be typed; returns it.
int32_t WaitTypedChar();
/// Waits for a button to be pressed; returns its number.
int32_t WaitAnyButton();
///@}

/// Called once by InitSystem.
void InitPolledInput();

}  // namespace vtl
