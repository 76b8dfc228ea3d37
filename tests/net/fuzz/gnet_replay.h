// Drives a host's receive path with bytes, as a peer would send them: the
// input is a run of packets, each a 2-byte big-endian length and that many
// bytes (the last one cut short if the input ends).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vtl::test {

// Feeds every packet to one host, a Sync after each, and checks what no
// input may change: the host's own objects, and that every live object can
// still be announced to a newcomer. Aborts when a check fails; anything
// thrown escapes.
void ReplayGNetPackets(const uint8_t* data, size_t size);

}  // namespace vtl::test
