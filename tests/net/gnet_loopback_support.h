// Hosts and raw ENet clients on 127.0.0.1 for the networked object tests,
// and a pump that runs them all until a condition holds or time runs out.
#pragma once

#include <enet/enet.h>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "net/net.h"

namespace vtl::test {

using Packet = std::vector<uint8_t>;

// Packets no correct host sends, by what is wrong with them, to a host
// whose own object 1 is announced: each must cost the sender its connection.
const std::vector<std::pair<const char*, Packet>>& PacketsNoHostSends();

// A listening host on a free port of this machine.
Ref<TGNetHost> ListeningHost(int32_t& port);
// A host connected to 127.0.0.1:port, or Null. Connecting waits for the
// answer, so a helper thread syncs the hosts already running meanwhile.
Ref<TGNetHost> ConnectedHost(int32_t port, const std::vector<Ref<TGNetHost>>& running);

// An ENet client that sends whatever bytes a test gives it and records what
// it receives, the way a hostile or broken peer would talk to a host.
class RawClient {
 public:
  RawClient();
  ~RawClient();
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  // Starts connecting; Service() completes it.
  void Connect(int32_t port);
  void Send(const Packet& bytes, uint8_t channel = 0);
  // Hands ENet a packet on channel 0 without sending it yet; Service() does.
  void Queue(const Packet& bytes);
  // Handles every pending event without waiting.
  void Service();

  bool connected = false;
  bool disconnected = false;
  std::vector<Packet> received;

 private:
  ENetHost* host_ = nullptr;
  ENetPeer* peer_ = nullptr;
};

// Syncs every host and services every client, about once a millisecond,
// until done() holds (true) or two seconds pass (false).
bool PumpUntil(const std::vector<Ref<TGNetHost>>& hosts, const std::vector<RawClient*>& clients,
               const std::function<bool()>& done, int32_t milliseconds = 2000);
// Pumps for a fixed time, for tests that check that nothing arrives.
void PumpFor(const std::vector<Ref<TGNetHost>>& hosts, const std::vector<RawClient*>& clients, int32_t milliseconds);

// The remote object of host that mirrors own object original of another
// host, found by a marker int in slot 31; Null if none.
Ref<TGNetObject> MirrorOf(const Ref<TGNetHost>& host, int32_t marker);

}  // namespace vtl::test
