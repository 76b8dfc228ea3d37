// How far the WAV loader believes the sizes a file announces, so that a
// header alone cannot ask for an absurd amount of memory or a skip past the
// end of the data.
#pragma once

#include <cstdint>

namespace vtl {

class TStream;

// A "data" chunk of up to this many bytes is believed even when the stream
// ends before it does (the missing frames stay silent); a larger one is
// believed only as far as the stream still holds bytes.
// 1 MB is some 6 seconds of 44100 Hz 16-bit stereo.
constexpr int64_t kAlwaysBelievedDataBytes = int64_t{1} << 20;

// Bytes the stream holds after its position, or -1 when it cannot tell.
int64_t UnreadBytes(TStream& stream);

// Bytes of a "data" chunk announcing `announced` bytes worth allocating.
int64_t BelievedDataBytes(TStream& stream, int64_t announced);

}  // namespace vtl
