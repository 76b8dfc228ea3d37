#include "net/internal/gnet_outbox.h"

#include <enet/enet.h>

#include <algorithm>
#include <cstring>

#include "net/gnet.h"
#include "net/internal/gnet_wire.h"
#include "runtime/exceptions.h"

namespace vtl {

// ENet may let packets go after the outbox has gone, so the count lives
// until both are done with it.
struct GNetOutbox::InENet {
  int64_t bytes = 0;
  int64_t packets = 0;
  bool outboxGone = false;

  void ForgetIfDone() {
    if (outboxGone && packets == 0) delete this;
  }
};

namespace {

void PacketLetGo(ENetPacket* packet) {
  auto* inENet = static_cast<GNetOutbox::InENet*>(packet->userData);
  inENet->bytes -= static_cast<int64_t>(packet->dataLength);
  --inENet->packets;
  inENet->ForgetIfDone();
}

bool Connected(void* enetPeer) {
  return enetPeer != nullptr && static_cast<ENetPeer*>(enetPeer)->state == ENET_PEER_STATE_CONNECTED;
}

bool ValidId(int32_t id) { return id >= 1 && id <= GNET_MAX_ID; }

// The most a host lets ENet hold for one peer, below ENet's window of 64 KiB:
// a relaying listener under load needs about 23 KiB per peer, and whatever
// ENet holds it resends at once when acknowledgements come late, walking
// the whole list for each late acknowledgement.
constexpr int64_t kMaxInENet = 32 * 1024;

}  // namespace

GNetOutbox::GNetOutbox() : open_(GNET_MAX_ID + 1), inENet_(new InENet) {}

GNetOutbox::~GNetOutbox() {
  inENet_->outboxGone = true;
  inENet_->ForgetIfDone();
}

bool GNetOutbox::HasRoom(void* enetPeer) const {
  // As much as ENet may have in flight to the peer now: what it holds
  // beyond that it would walk past, unsent, for every datagram.
  const auto* peer = static_cast<const ENetPeer*>(enetPeer);
  const int64_t window =
      static_cast<int64_t>(peer->windowSize) * peer->packetThrottle / ENET_PEER_PACKET_THROTTLE_SCALE;
  return inENet_->packets == 0 || inENet_->bytes < std::max<int64_t>(std::min(window, kMaxInENet), peer->mtu);
}

void GNetOutbox::Put(void* enetPeer, int32_t state, int32_t id, const uint8_t* records, size_t size) {
  ENetPacket* packet = enet_packet_create(nullptr, GNET_HEADER_BYTES + size, ENET_PACKET_FLAG_RELIABLE);
  if (packet == nullptr) RuntimeError("ENet errror");
  PackGNetHeader(packet->data, state, id);
  if (size > 0) std::memcpy(packet->data + GNET_HEADER_BYTES, records, size);
  packet->userData = inENet_;
  packet->freeCallback = PacketLetGo;
  inENet_->bytes += static_cast<int64_t>(packet->dataLength);
  ++inENet_->packets;
  if (enet_peer_send(static_cast<ENetPeer*>(enetPeer), 0, packet) < 0) {
    enet_packet_destroy(packet);
    RuntimeError("ENet errror");
  }
}

void GNetOutbox::Send(void* enetPeer, int32_t state, int32_t id, const uint8_t* records, size_t size,
                      TGNetObject* object, uint32_t slots, int32_t* sendsLeft) {
  if (waiting_.empty() && HasRoom(enetPeer) && (sendsLeft == nullptr || *sendsLeft > 0)) {
    Put(enetPeer, state, id, records, size);
    if (sendsLeft != nullptr) --*sendsLeft;
    return;
  }
  const bool ofObject = object != nullptr && (state == GNET_CREATED || state == GNET_MODIFIED) && ValidId(id);
  if (ofObject) {
    if (state == GNET_CREATED) slots = ~0u;
    // A change to an object whose creation or change still waits goes out
    // with it.
    Open& open = open_[id];
    if (state == GNET_MODIFIED && open.number != 0 && open.object == object) {
      open.slots |= slots;
      return;
    }
  }
  // Anything else of the id ends what later changes may join.
  if (state != GNET_MESSAGE && ValidId(id)) Close(id);
  Message message{state, id, nextNumber_, nullptr, 0, {}};
  if (ofObject) {
    message.object = Ref<TGNetObject>(object);
    open_[id] = Open{nextNumber_, slots, object};
  } else {
    message.records.assign(records, records + size);
  }
  waiting_.push_back(std::move(message));
  ++nextNumber_;
}

void GNetOutbox::Close(int32_t id) {
  Open& open = open_[id];
  if (open.number == 0) return;
  waiting_[open.number - waiting_.front().number].slots = open.slots;
  open = Open{};
}

bool GNetOutbox::Flush(void* enetPeer, int32_t& sendsLeft, int32_t most) {
  if (!Connected(enetPeer)) {
    Clear();
    return false;
  }
  const int32_t before = sendsLeft;
  for (; !waiting_.empty() && HasRoom(enetPeer) && sendsLeft > 0 && before - sendsLeft < most; --sendsLeft) {
    const Message& first = waiting_.front();
    if (first.object != nullptr) {
      if (open_[first.id].number == first.number) Close(first.id);
      const Ref<Array<uint8_t>> records = first.object->PackSlots(static_cast<int32_t>(first.slots));
      Put(enetPeer, first.state, first.id, records->Data(), static_cast<size_t>(records->Length()));
    } else {
      Put(enetPeer, first.state, first.id, first.records.data(), first.records.size());
    }
    waiting_.pop_front();
  }
  return sendsLeft != before;
}

void GNetOutbox::Clear() {
  waiting_.clear();
  std::fill(open_.begin(), open_.end(), Open{});
}

}  // namespace vtl
