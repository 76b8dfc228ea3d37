// libFuzzer entry for the networked objects' receive path.
#include <cstddef>
#include <cstdint>

#include "fuzz/gnet_replay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vtl::test::ReplayGNetPackets(data, size);
  return 0;
}
