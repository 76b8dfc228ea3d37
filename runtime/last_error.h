/// \file
/// The reason for the last refusal on this thread.
///
/// Calls that refuse by their result (a loader that returns Null, a connect
/// that returns 0, an audio device that falls back to silence) record why
/// here, in words a person understands. A success does not clear it, so read
/// it right after the call that failed:
///
///     auto pixmap = vtl::LoadPixmap("title.png");
///     if (!pixmap) vtl::Print("No title picture: " + vtl::LastErrorText());
#pragma once

#include "runtime/string.h"

namespace vtl {

/// The reason the last refusal on this thread gave; "" when none was given
/// since the thread started or since ClearLastErrorText.
String LastErrorText();
/// Records text as the reason for this thread's latest refusal.
void SetLastErrorText(const String& text);
/// Forgets this thread's last reason.
void ClearLastErrorText();

}  // namespace vtl
