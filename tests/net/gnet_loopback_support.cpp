#include "gnet_loopback_support.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "net/internal/gnet_wire.h"

namespace vtl::test {

const std::vector<std::pair<const char*, Packet>>& PacketsNoHostSends() {
  static const std::vector<std::pair<const char*, Packet>> packets = {
      {"empty", {}},
      {"one byte", {0x10}},
      {"state 0", {0x00, 0x01}},
      {"state 4", {0x40, 0x01}},
      {"state 9", {0x90, 0x01, 0x80, 1}},
      {"state 15", {0xF0, 0x01}},
      {"created as id 0", {0x10, 0x00}},
      {"modified, never created", {0x20, 0x07, 0x80, 1}},
      {"closed, never created", {0x30, 0x07}},
      {"modifies an own object by its id", {0x20, 0x01, 0x80, 1}},
      {"modifies an own object's string", {0x20, 0x01, 0x60, 0x00, 0x01, 0x58}},
      {"slot type 0", {0x10, 0x05, 0x00}},
      {"slot type 7", {0x10, 0x05, 0xE0, 0, 0, 0, 0}},
      {"int cut short", {0x10, 0x05, 0x21, 0, 0}},
      {"string past the end", {0x10, 0x05, 0x60, 0x01, 0x00, 0x41}},
      {"string length past the end", {0x10, 0x05, 0x63, 0xFF, 0xFF, 0x41}},
      {"message with a record of type 0", {0x50, 0x01, 0x00}},
      {"message with a record of type 7", {0x50, 0x01, 0xE0}},
  };
  return packets;
}

Ref<TGNetHost> ListeningHost(int32_t& port) {
  InitNet();
  auto host = NewNetHost();
  if (NetHostListen(host, 0) != 1) return {};
  port = GNetHostPort(*host);
  return host;
}

Ref<TGNetHost> ConnectedHost(int32_t port, const std::vector<Ref<TGNetHost>>& running) {
  auto host = NewNetHost();
  std::atomic<bool> connecting = true;
  // Only the helper touches the running hosts until it is joined.
  std::thread helper([&] {
    while (connecting) {
      for (const auto& other : running) SyncNetHost(other);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  const int32_t ok = NetHostConnect(host, "127.0.0.1", port, 2000);
  connecting = false;
  helper.join();
  return ok == 1 ? host : nullptr;
}

RawClient::RawClient() { host_ = enet_host_create(nullptr, 1, 4, 0, 0); }

RawClient::~RawClient() {
  if (host_ != nullptr) enet_host_destroy(host_);
}

void RawClient::Connect(int32_t port) {
  ENetAddress address{};
  enet_address_set_host_ip(&address, "127.0.0.1");
  address.port = static_cast<enet_uint16>(port);
  peer_ = enet_host_connect(host_, &address, 4, 0);
}

void RawClient::Send(const Packet& bytes, uint8_t channel) {
  ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE);
  if (enet_peer_send(peer_, channel, packet) < 0) enet_packet_destroy(packet);
  enet_host_flush(host_);
}

void RawClient::Queue(const Packet& bytes) {
  ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE);
  if (enet_peer_send(peer_, 0, packet) < 0) enet_packet_destroy(packet);
}

void RawClient::Service() {
  ::ENetEvent event;
  while (enet_host_service(host_, &event, 0) > 0) {
    switch (event.type) {
      case ENET_EVENT_TYPE_CONNECT: connected = true; break;
      case ENET_EVENT_TYPE_DISCONNECT: disconnected = true; break;
      case ENET_EVENT_TYPE_RECEIVE:
        received.emplace_back(event.packet->data, event.packet->data + event.packet->dataLength);
        enet_packet_destroy(event.packet);
        break;
      default: break;
    }
  }
}

bool PumpUntil(const std::vector<Ref<TGNetHost>>& hosts, const std::vector<RawClient*>& clients,
               const std::function<bool()>& done, int32_t milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    for (const auto& host : hosts) SyncNetHost(host);
    for (RawClient* client : clients) client->Service();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

void PumpFor(const std::vector<Ref<TGNetHost>>& hosts, const std::vector<RawClient*>& clients, int32_t milliseconds) {
  PumpUntil(
      hosts, clients, [] { return false; }, milliseconds);
}

Ref<TGNetObject> MirrorOf(const Ref<TGNetHost>& host, int32_t marker) {
  for (Ref<TGNetObject> object : host->Objects()->Each<TGNetObject>()) {
    if (IsRemoteNetObject(object) && object->State() != GNET_DEAD && object->State() != GNET_CLOSED &&
        object->GetInt(31) == marker)
      return object;
  }
  return {};
}

}  // namespace vtl::test
