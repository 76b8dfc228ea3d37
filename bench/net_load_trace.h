// A once-a-second account of the load bench's listener, for finding where
// its time goes and why peers are dropped (--net-trace): its Syncs, what
// ENet holds and measures for its peers, and the datagrams the system
// dropped for want of room in a socket's receive buffer.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "net/net.h"

namespace netload {

// Processor time of this process so far, in seconds.
double CpuSeconds();

class ListenerTrace {
 public:
  explicit ListenerTrace(int32_t port) : port_(port) {}

  // One Sync of the listener, which took syncMs and brought taken messages;
  // prints a line once a second.
  void Sample(const vtl::Ref<vtl::TGNetHost>& listener, double syncMs, int64_t taken);

 private:
  int32_t port_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now(), last_ = start_;
  int64_t syncs_ = 0, taken_ = 0;
  double syncMs_ = 0, maxSyncMs_ = 0;
  int64_t listenerDrops_ = -1, otherDrops_ = -1;
  double cpu_ = -1;
  std::vector<uint32_t> lost_;  // ENet's count of resent commands, per peer
};

}  // namespace netload
