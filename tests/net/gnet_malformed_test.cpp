// A raw ENet client sends a listening host what no correct host would: the
// host keeps running, its own objects stay as they are, and the other peer
// hears nothing of it.
#include <gtest/gtest.h>

#include <random>

#include "gnet_loopback_support.h"

namespace vtl {
namespace {

using test::MirrorOf;
using test::Packet;
using test::PumpFor;
using test::PumpUntil;
using test::RawClient;

struct Star {
  Star() {
    listener = test::ListeningHost(port);
    if (listener == nullptr) return;
    bystander = test::ConnectedHost(port, {listener});
    if (bystander == nullptr) return;
    own = NewNetObject(listener);
    SetNetInt(own, 31, 77);
    SetNetString(own, 0, "intact");
    ready = PumpUntil({listener, bystander}, {}, [&] { return (ownOnBystander = MirrorOf(bystander, 77)) != nullptr; });
  }
  ~Star() {
    if (bystander) CloseNetHost(bystander);
    if (listener) CloseNetHost(listener);
  }
  // A raw client connected to the listener, with the objects it announces.
  bool Join(RawClient& raw) {
    raw.Connect(port);
    return PumpUntil({listener, bystander}, {&raw}, [&] { return raw.connected && listener->Peers()->Count() == 2; });
  }
  void ExpectIntact() {
    EXPECT_EQ(GetNetString(own, 0), "intact");
    EXPECT_EQ(NetObjectState(own), GNET_SYNCHRONISED);
    EXPECT_EQ(listener->Objects()->Count(), 1);
    EXPECT_EQ(bystander->Objects()->Count(), 1);
    EXPECT_EQ(GetNetString(ownOnBystander, 0), "intact");
    EXPECT_EQ(bystander->Peers()->Count(), 1);
  }

  int32_t port = 0;
  Ref<TGNetHost> listener, bystander;
  Ref<TGNetObject> own, ownOnBystander;
  bool ready = false;
};

TEST(NetGNetMalformed, PeersSendingWhatNoHostCouldAreDisconnected) {
  Star star;
  ASSERT_TRUE(star.ready);
  const std::vector<std::pair<const char*, Packet>> cases = {
      {"empty", {}},
      {"one byte", {0x10}},
      {"state 0", {0x00, 0x01}},
      {"state 4", {0x40, 0x01}},
      {"state 9", {0x90, 0x01, 0x80, 1}},
      {"created as id 0", {0x10, 0x00}},
      {"modified, never created", {0x20, 0x02, 0x80, 1}},
      {"closed, never created", {0x30, 0x02}},
      {"modifies the listener's own object", {0x20, 0x01, 0x60, 0x00, 0x01, 0x58}},
      {"slot type 0", {0x10, 0x05, 0x00}},
      {"slot type 7", {0x10, 0x05, 0xE0, 0, 0, 0, 0}},
      {"int cut short", {0x10, 0x05, 0x21, 0, 0}},
      {"string past the end", {0x10, 0x05, 0x60, 0x01, 0x00, 0x41}},
      {"message with bad slots", {0x50, 0x01, 0x00}},
  };
  for (const auto& [name, packet] : cases) {
    SCOPED_TRACE(name);
    RawClient raw;
    ASSERT_TRUE(star.Join(raw));
    raw.Send(packet);
    EXPECT_TRUE(PumpUntil({star.listener, star.bystander}, {&raw}, [&] { return raw.disconnected; }));
    EXPECT_EQ(star.listener->Peers()->Count(), 1);
    star.ExpectIntact();
  }

  // A client whose good object was already relayed: its bad packet ends it,
  // and its object is closed on the bystander too.
  RawClient raw;
  ASSERT_TRUE(star.Join(raw));
  raw.Send({0x10, 0x09, 0x9F, 55});
  ASSERT_TRUE(
      PumpUntil({star.listener, star.bystander}, {&raw}, [&] { return MirrorOf(star.bystander, 55) != nullptr; }));
  raw.Send({0x20, 0x09, 0xE0});
  raw.Send({0x20, 0x09, 0x9F, 56});  // after the bad one: never applied
  EXPECT_TRUE(PumpUntil({star.listener, star.bystander}, {&raw},
                        [&] { return raw.disconnected && star.bystander->Objects()->Count() == 1; }));
  PumpFor({star.listener, star.bystander}, {&raw}, 50);
  EXPECT_EQ(MirrorOf(star.bystander, 56), nullptr);
  star.ExpectIntact();
}

TEST(NetGNetMalformed, MessagesAHostMaySendLateAreDroppedQuietly) {
  Star star;
  ASSERT_TRUE(star.ready);
  RawClient raw;
  ASSERT_TRUE(star.Join(raw));
  raw.Send({0x50, 0x09, 0x80, 1});   // to an object that is gone
  raw.Send({0x50, 0x00, 0x80, 1});   // to no object
  raw.Send({0x10, 0x03, 0x9F, 66});  // still heard afterwards
  ASSERT_TRUE(
      PumpUntil({star.listener, star.bystander}, {&raw}, [&] { return MirrorOf(star.bystander, 66) != nullptr; }));
  EXPECT_FALSE(raw.disconnected);
  EXPECT_EQ(NetHostMessages(star.listener)->Count(), 0);
}

TEST(NetGNetMalformed, RandomBytesLeaveTheHostAndItsObjectsAlone) {
  Star star;
  ASSERT_TRUE(star.ready);
  std::mt19937 random(15);
  for (int client = 0; client < 4; ++client) {
    RawClient raw;
    ASSERT_TRUE(star.Join(raw));
    for (int i = 0; i < 200 && !raw.disconnected; ++i) {
      Packet packet(random() % 24);
      for (auto& byte : packet) byte = static_cast<uint8_t>(random());
      raw.Send(packet);
      if (i % 20 == 0) PumpFor({star.listener, star.bystander}, {&raw}, 2);
    }
    // Whatever was accepted from it is closed again once it is gone.
    raw.Send({0x00});
    EXPECT_TRUE(PumpUntil({star.listener, star.bystander}, {&raw}, [&] {
      return raw.disconnected && star.bystander->Objects()->Count() == 1 && star.listener->Objects()->Count() == 1;
    }));
    star.ExpectIntact();
  }
}

}  // namespace
}  // namespace vtl
