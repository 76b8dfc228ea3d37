// A peer that stops acknowledging while the host keeps changing its objects:
// what the host gives ENet for it stays within about one window instead of
// growing with every change, and once the peer catches up it holds every
// object's latest values, having seen each object's changes in order.
#include <enet/enet.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "gnet_hosts_fixture.h"
#include "net/internal/gnet_wire.h"

namespace vtl::test {
namespace {

class NetGNetSlowPeer : public GNetHostsTest {};

constexpr int32_t kObjects = 100;
constexpr int32_t kRounds = 400;

int32_t Mark(int32_t index, int32_t round) { return index * 1000 + round; }

// What the slow peer learnt of each object, by id, read from its packets.
struct Seen {
  int32_t round = -1;
  int32_t mark = -1;
  bool closed = false;
};

TEST_F(NetGNetSlowPeer, APeerThatFallsBehindGetsTheLatestValuesWithoutAPileUp) {
  RawClient slow;
  ASSERT_TRUE(JoinRaw(slow));

  std::vector<Ref<TGNetObject>> own;
  for (int32_t index = 0; index < kObjects; ++index) own.push_back(NewNetObject(listener));
  // The peer services nothing from here on, so acknowledges nothing.
  for (int32_t round = 0; round <= kRounds; ++round) {
    for (int32_t index = 0; index < kObjects; ++index) {
      SetNetInt(own[index], 0, round);
      SetNetInt(own[index], 1, Mark(index, round));
      SetNetString(own[index], 2, String::FromLatin1(std::string(100, static_cast<char>('a' + round % 26))));
    }
    SyncNetHost(listener);
  }
  CloseNetObject(own.back());
  SyncNetHost(listener);  // its closing goes after its last change
  auto* peer = static_cast<ENetPeer*>(DowncastObject<TGNetPeer>(listener->Peers()->First())->_enetPeer);
  const size_t inENet = enet_list_size(&peer->outgoingCommands) + enet_list_size(&peer->sentReliableCommands);
  EXPECT_LT(inENet, 4000u) << "every change of every round would be " << kObjects * kRounds;

  std::map<int32_t, Seen> seen;
  size_t read = 0;
  bool inOrder = true;
  auto caughtUp = [&] {
    for (; read < slow.received.size(); ++read) {
      const Packet& packet = slow.received[read];
      const auto [state, id] = ParseGNetHeader(packet.data());
      GNetDecodedSlots slots;
      if (slots.Decode(packet.data() + GNET_HEADER_BYTES, packet.size() - GNET_HEADER_BYTES) != GNetRecordCheck::Ok)
        return false;
      Seen& object = seen[id];
      inOrder = inOrder && !object.closed && (state == GNET_CREATED) == (object.round < 0);
      if (state == GNET_CLOSED) object.closed = true;
      if (slots.mask & 1u) {
        inOrder = inOrder && slots.ints[0] >= object.round;
        object.round = slots.ints[0];
      }
      if (slots.mask & 2u) object.mark = slots.ints[1];
    }
    if (seen.size() != kObjects || !seen[kObjects].closed) return false;
    for (const auto& [id, object] : seen) {
      if (object.round != kRounds) return false;
    }
    return true;
  };
  ASSERT_TRUE(PumpUntil({listener}, {&slow}, caughtUp, 10000));
  EXPECT_TRUE(inOrder);
  for (const auto& [id, object] : seen) EXPECT_EQ(object.mark, Mark(id - 1, kRounds)) << "object " << id;
  EXPECT_LT(slow.received.size(), static_cast<size_t>(kObjects * kRounds));  // changes merged while it lagged
}

}  // namespace
}  // namespace vtl::test
