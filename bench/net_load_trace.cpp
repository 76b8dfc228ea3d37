#include "net_load_trace.h"

#include <enet/enet.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace netload {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

namespace {

// Datagrams dropped so far on UDP sockets bound to port, and on all others.
void SocketDrops(int32_t port, int64_t& atPort, int64_t& elsewhere) {
  atPort = elsewhere = 0;
  std::ifstream table("/proc/net/udp");
  std::string line;
  std::getline(table, line);
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, local, field;
    fields >> slot >> local;
    std::string last;
    while (fields >> field) last = field;
    const int64_t drops = std::stoll(last);
    const int32_t localPort = static_cast<int32_t>(std::stol(local.substr(local.find(':') + 1), nullptr, 16));
    (localPort == port ? atPort : elsewhere) += drops;
  }
}

}  // namespace

void ListenerTrace::Sample(const vtl::Ref<vtl::TGNetHost>& listener, double syncMs, int64_t taken) {
  ++syncs_;
  taken_ += taken;
  syncMs_ += syncMs;
  maxSyncMs_ = std::max(maxSyncMs_, syncMs);
  const auto now = std::chrono::steady_clock::now();
  if (now - last_ < std::chrono::seconds(1) && cpu_ >= 0) return;
  const double span = std::chrono::duration<double>(now - last_).count();
  const double cpu = CpuSeconds();
  int64_t listenerDrops = 0, otherDrops = 0;
  SocketDrops(port_, listenerDrops, otherDrops);
  if (cpu_ >= 0) {
    // Over the connected peers: round-trip times, unacknowledged data,
    // commands sent and waiting, and ENet's loss figures.
    auto* host = static_cast<ENetHost*>(listener->_enetHost);
    int peers = 0;
    uint32_t rttMin = UINT32_MAX, rttMax = 0, varMax = 0, lossMax = 0, lostSum = 0, throttleMin = UINT32_MAX;
    size_t sentMax = 0, outMax = 0, transitMax = 0;
    for (ENetPeer* peer = host->peers; peer < host->peers + host->peerCount; ++peer) {
      if (peer->state != ENET_PEER_STATE_CONNECTED) continue;
      ++peers;
      rttMin = std::min(rttMin, peer->roundTripTime);
      rttMax = std::max(rttMax, peer->roundTripTime);
      varMax = std::max(varMax, peer->roundTripTimeVariance);
      lossMax = std::max(lossMax, peer->packetLoss);
      // ENet counts resent commands and starts again every 10 s.
      const size_t index = static_cast<size_t>(peer - host->peers);
      if (lost_.size() < host->peerCount) lost_.resize(host->peerCount);
      lostSum += peer->packetsLost >= lost_[index] ? peer->packetsLost - lost_[index] : peer->packetsLost;
      lost_[index] = peer->packetsLost;
      throttleMin = std::min(throttleMin, peer->packetThrottle);
      sentMax = std::max(sentMax, enet_list_size(&peer->sentReliableCommands));
      outMax = std::max(outMax, enet_list_size(&peer->outgoingCommands));
      transitMax = std::max<size_t>(transitMax, peer->reliableDataInTransit);
    }
    std::fprintf(stderr,
                 "trace %5.1f s: %3lld syncs (max %6.1f ms, %4.0f ms/s), %6.0f msgs/s in, cpu %3.0f %%; %2d peers rtt "
                 "%u-%u ms var<=%u, loss<=%.1f %%, resent %u, throttle>=%u, sent<=%zu queued<=%zu transit<=%zu; "
                 "socket drops listener %lld others %lld\n",
                 std::chrono::duration<double>(now - start_).count(), static_cast<long long>(syncs_), maxSyncMs_,
                 syncMs_ / span, static_cast<double>(taken_) / span, 100.0 * (cpu - cpu_) / span, peers,
                 peers ? rttMin : 0, rttMax, varMax, 100.0 * lossMax / static_cast<double>(ENET_PEER_PACKET_LOSS_SCALE),
                 lostSum, peers ? throttleMin : 0, sentMax, outMax, transitMax,
                 static_cast<long long>(listenerDrops - listenerDrops_),
                 static_cast<long long>(otherDrops - otherDrops_));
  }
  listenerDrops_ = listenerDrops;
  otherDrops_ = otherDrops;
  cpu_ = cpu;
  last_ = now;
  syncs_ = taken_ = 0;
  syncMs_ = maxSyncMs_ = 0;
}

}  // namespace netload
