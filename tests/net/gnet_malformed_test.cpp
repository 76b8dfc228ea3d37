// A raw ENet client sends a listening host what no correct host would: the
// host keeps running, its own objects stay as they are, and the other peer
// hears nothing of it.
#include <gtest/gtest.h>

#include <random>

#include "gnet_hosts_fixture.h"

namespace vtl::test {
namespace {

// The listener with an own object, and a bystander that mirrors it.
class NetGNetMalformed : public GNetHostsTest {
 protected:
  void SetUp() override {
    GNetHostsTest::SetUp();
    if (HasFatalFailure()) return;
    bystander = Join();
    ASSERT_NE(bystander, nullptr);
    own = NewNetObject(listener);
    SetNetInt(own, 31, 77);
    SetNetString(own, 0, "intact");
    ASSERT_TRUE(PumpUntil(hosts, {}, [&] { return (ownOnBystander = MirrorOf(bystander, 77)) != nullptr; }));
  }
  void ExpectIntact() {
    EXPECT_EQ(GetNetString(own, 0), "intact");
    EXPECT_EQ(NetObjectState(own), GNET_SYNCHRONISED);
    EXPECT_EQ(listener->Objects()->Count(), 1);
    EXPECT_EQ(bystander->Objects()->Count(), 1);
    EXPECT_EQ(GetNetString(ownOnBystander, 0), "intact");
    EXPECT_EQ(bystander->Peers()->Count(), 1);
  }

  Ref<TGNetHost> bystander;
  Ref<TGNetObject> own, ownOnBystander;
};

TEST_F(NetGNetMalformed, PeersSendingWhatNoHostCouldAreDisconnected) {
  for (const auto& [name, packet] : PacketsNoHostSends()) {
    SCOPED_TRACE(name);
    RawClient raw;
    ASSERT_TRUE(JoinRaw(raw));
    raw.Send(packet);
    EXPECT_TRUE(PumpUntil(hosts, {&raw}, [&] { return raw.disconnected; }));
    EXPECT_EQ(listener->Peers()->Count(), 1);
    ExpectIntact();
  }

  // A client whose good object was already relayed: its bad packet ends it,
  // and its object is closed on the bystander too.
  RawClient raw;
  ASSERT_TRUE(JoinRaw(raw));
  raw.Send({0x10, 0x09, 0x9F, 55});
  ASSERT_TRUE(PumpUntil(hosts, {&raw}, [&] { return MirrorOf(bystander, 55) != nullptr; }));
  raw.Send({0x20, 0x09, 0xE0});
  raw.Send({0x20, 0x09, 0x9F, 56});  // after the bad one: never applied
  EXPECT_TRUE(PumpUntil(hosts, {&raw}, [&] { return raw.disconnected && bystander->Objects()->Count() == 1; }));
  PumpFor(hosts, {&raw}, 50);
  EXPECT_EQ(MirrorOf(bystander, 56), nullptr);
  ExpectIntact();
}

TEST_F(NetGNetMalformed, MessagesAHostMaySendLateAreDroppedQuietly) {
  RawClient raw;
  ASSERT_TRUE(JoinRaw(raw));
  raw.Send({0x50, 0x09, 0x80, 1});   // to an object that is gone
  raw.Send({0x50, 0x00, 0x80, 1});   // to no object
  raw.Send({0x10, 0x03, 0x9F, 66});  // still heard afterwards
  ASSERT_TRUE(PumpUntil(hosts, {&raw}, [&] { return MirrorOf(bystander, 66) != nullptr; }));
  EXPECT_FALSE(raw.disconnected);
  EXPECT_EQ(NetHostMessages(listener)->Count(), 0);
}

TEST_F(NetGNetMalformed, RandomBytesLeaveTheHostAndItsObjectsAlone) {
  std::mt19937 random(15);
  for (int client = 0; client < 4; ++client) {
    RawClient raw;
    ASSERT_TRUE(JoinRaw(raw));
    for (int i = 0; i < 200 && !raw.disconnected; ++i) {
      Packet packet(random() % 24);
      for (auto& byte : packet) byte = static_cast<uint8_t>(random());
      raw.Send(packet);
      if (i % 20 == 0) PumpFor(hosts, {&raw}, 2);
    }
    // Whatever was accepted from it is closed again once it is gone.
    raw.Send({0x00});
    EXPECT_TRUE(PumpUntil(hosts, {&raw}, [&] {
      return raw.disconnected && bystander->Objects()->Count() == 1 && listener->Objects()->Count() == 1;
    }));
    ExpectIntact();
  }
}

}  // namespace
}  // namespace vtl::test
