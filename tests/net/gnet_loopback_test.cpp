// Hosts replicating objects to each other over 127.0.0.1.
#include <gtest/gtest.h>

#include <time.h>

#include <chrono>
#include <string>
#include <thread>

#include "gnet_hosts_fixture.h"

namespace vtl::test {
namespace {

class NetGNetTwoHosts : public GNetHostsTest {};
class NetGNetThreeHosts : public GNetHostsTest {};

int64_t ThreadCpuMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

TEST_F(NetGNetTwoHosts, ObjectsTheirChangesAndTheirClosingReachTheOtherHost) {
  auto client = Join();
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(client->Peers()->Count(), 1);
  EXPECT_EQ(NetHostListen(client, port), 0);  // already connected

  auto ball = NewNetObject(listener);
  SetNetInt(ball, 31, 1001);
  SetNetFloat(ball, 0, 1.5f);
  SetNetString(ball, 1, "ball");
  auto paddle = NewNetObject(client);
  SetNetInt(paddle, 31, 2002);
  SetNetInt(paddle, 0, -70000);

  Ref<TGNetObject> ballThere, paddleThere;
  ASSERT_TRUE(PumpUntil({listener, client}, {}, [&] {
    ballThere = MirrorOf(client, 1001);
    paddleThere = MirrorOf(listener, 2002);
    return ballThere && paddleThere;
  }));
  EXPECT_EQ(GetNetFloat(ballThere, 0), 1.5f);
  EXPECT_EQ(GetNetString(ballThere, 1), "ball");
  EXPECT_EQ(GetNetInt(paddleThere, 0), -70000);
  EXPECT_EQ(IsRemoteNetObject(ballThere), 1);

  SetNetFloat(ball, 0, 2.5f);
  ASSERT_TRUE(PumpUntil({listener, client}, {}, [&] { return GetNetFloat(ballThere, 0) == 2.5f; }));

  CloseNetObject(paddle);
  bool reported = false;
  ASSERT_TRUE(PumpUntil({listener, client}, {}, [&] {
    reported = reported || NetObjectsByState(listener, 3)->Contains(paddleThere);
    return reported && !listener->Objects()->Contains(paddleThere);
  }));
  EXPECT_EQ(NetObjectState(paddleThere), GNET_DEAD);
}

TEST_F(NetGNetTwoHosts, BytesOnTheWireAreExact) {
  Ref<TGNetObject> objects[300];
  for (auto& object : objects) object = NewNetObject(listener);
  auto first = objects[0];
  SetNetInt(first, 0, 200);
  SetNetInt(first, 1, 300);
  SetNetString(first, 2, "AB");
  SetNetInt(first, 3, -1);
  auto never = NewNetObject(listener);
  CloseNetObject(never);  // never synchronised: nobody hears of it
  SyncNetHost(listener);

  RawClient raw;
  raw.Connect(port);
  ASSERT_TRUE(PumpUntil({listener}, {&raw}, [&] { return raw.received.size() >= 300; }));
  EXPECT_EQ(raw.received[0], (Packet{0x10, 0x01, 0x80, 200, 0xA1, 0x01, 0x2C, 0x62, 0x00, 0x02, 0x41, 0x42, 0x23, 0xFF,
                                     0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(raw.received[299], (Packet{0x11, 0x2C}));

  SetNetInt(objects[299], 4, 65535);
  ASSERT_TRUE(PumpUntil({listener}, {&raw}, [&] { return raw.received.size() >= 301; }));
  EXPECT_EQ(raw.received[300], (Packet{0x21, 0x2C, 0xA4, 0xFF, 0xFF}));
  CloseNetObject(objects[299]);
  ASSERT_TRUE(PumpUntil({listener}, {&raw}, [&] { return raw.received.size() >= 302; }));
  EXPECT_EQ(raw.received[301], (Packet{0x31, 0x2C}));
  PumpFor({listener}, {&raw}, 50);
  EXPECT_EQ(raw.received.size(), 302u);
}

TEST_F(NetGNetTwoHosts, TheLargestMessageArrivesWhole) {
  auto client = Join();
  ASSERT_NE(client, nullptr);
  auto big = NewNetObject(client);
  SetNetInt(big, 31, 7);  // 2 bytes of the 65520
  std::string text;
  for (int i = 0; i < 31; ++i) {
    std::string part(i == 0 ? 65518 - 93 - 30 * 2044 : 2044, static_cast<char>('a' + i % 26));
    SetNetString(big, i, String::FromLatin1(part));
    text += part;
  }
  ASSERT_EQ(big->PackSlots(-1)->Length(), GNET_MAX_DATA);
  Ref<TGNetObject> there;
  ASSERT_TRUE(PumpUntil({listener, client}, {}, [&] { return (there = MirrorOf(listener, 7)) != nullptr; }));
  std::string got;
  for (int i = 0; i < 31; ++i) got += GetNetString(there, i).ToUtf8();
  EXPECT_EQ(got, text);
}

// An own object that no message could announce would stop every newcomer
// from joining; the write is refused instead, and joining goes on.
TEST_F(NetGNetTwoHosts, ANewcomerJoinsAfterAWriteTooLargeToAnnounceWasRefused) {
  const String text = String::FromLatin1(std::string(40000, 't'));
  auto big = NewNetObject(listener);
  SetNetInt(big, 31, 1);
  SetNetString(big, 0, text);
  std::string error;
  try {
    SetNetString(big, 1, text);
  } catch (const ThrownObject& t) {
    error = t.what();
  }
  ASSERT_EQ(error, "GNet message data too large");
  SetNetInt(NewNetObject(listener), 31, 2);
  SyncNetHost(listener);

  auto client = Join();
  ASSERT_NE(client, nullptr);
  ASSERT_TRUE(PumpUntil({listener, client}, {}, [&] { return MirrorOf(client, 1) && MirrorOf(client, 2); }));
  EXPECT_EQ(GetNetString(MirrorOf(client, 1), 0), text);
}

TEST_F(NetGNetThreeHosts, ALateJoinerLearnsEveryObjectIncludingRelayedOnes) {
  auto a = Join();
  ASSERT_NE(a, nullptr);
  SetNetInt(NewNetObject(listener), 31, 1);
  auto fromA = NewNetObject(a);
  SetNetInt(fromA, 31, 2);
  SetNetString(fromA, 0, "from A");
  ASSERT_TRUE(PumpUntil({listener, a}, {}, [&] { return MirrorOf(listener, 2) && MirrorOf(a, 1); }));

  auto b = Join();
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(PumpUntil({listener, a, b}, {}, [&] { return MirrorOf(b, 1) && MirrorOf(b, 2); }));
  EXPECT_EQ(GetNetString(MirrorOf(b, 2), 0), "from A");
  // B's own object reaches A through the listener.
  SetNetInt(NewNetObject(b), 31, 3);
  ASSERT_TRUE(PumpUntil({listener, a, b}, {}, [&] { return MirrorOf(a, 3) != nullptr; }));
}

// A newcomer whose connection is handled in the same Sync as another peer's
// new object still learns of that object.
TEST_F(NetGNetThreeHosts, ANewcomerLearnsOfObjectsThatArrivedInTheSameSync) {
  RawClient first, newcomer;
  ASSERT_TRUE(JoinRaw(first));

  // Queue the packet, then the connection, on the listener without handling them.
  auto queued = [&](int32_t type, RawClient& client) {
    for (int i = 0; i < 2000; ++i) {
      client.Service();
      listener->UpdateENetEvents();
      for (Ref<ENetEvent> event : listener->_enetEvents->Each<ENetEvent>()) {
        if (event->event == type) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  };
  first.Send({0x10, 0x07, 0x9F, 99});
  ASSERT_TRUE(queued(3, first));
  newcomer.Connect(port);
  ASSERT_TRUE(queued(1, newcomer));
  SyncNetHost(listener);  // both in one go
  ASSERT_TRUE(PumpUntil({listener}, {&first, &newcomer}, [&] { return !newcomer.received.empty(); }));
  EXPECT_EQ(newcomer.received[0], (Packet{0x10, 0x01, 0x9F, 99}));
}

TEST_F(NetGNetThreeHosts, WritesAndMessagesTravelThroughTheListener) {
  auto a = Join();
  auto b = Join();
  ASSERT_TRUE(a && b);
  auto ship = NewNetObject(a);
  SetNetInt(ship, 31, 10);
  Ref<TGNetObject> shipOnB;
  ASSERT_TRUE(PumpUntil({listener, a, b}, {}, [&] { return (shipOnB = MirrorOf(b, 10)) != nullptr; }));

  SetNetInt(ship, 0, 123456);
  SetNetFloat(ship, 1, -0.25f);
  ASSERT_TRUE(PumpUntil({listener, a, b}, {}, [&] { return GetNetInt(shipOnB, 0) == 123456; }));
  EXPECT_EQ(GetNetFloat(shipOnB, 1), -0.25f);

  // B's message to the ship is passed on by the listener to A, the owner,
  // in A's numbering.
  auto message = NewNetMessage(b);
  SetNetString(message, 0, "hit");
  SendNetMessage(message, shipOnB);
  ASSERT_TRUE(PumpUntil({listener, a, b}, {}, [&] { return NetHostMessages(a)->Count() > 0; }));
  auto received = DowncastObject<TGNetObject>(NetHostMessages(a)->First());
  EXPECT_EQ(GetNetString(received, 0), "hit");
  EXPECT_EQ(NetMessageTarget(received), ship);
  EXPECT_EQ(NetHostMessages(b)->Count(), 0);
}

TEST_F(NetGNetThreeHosts, APeerThatLeavesHasItsObjectsClosedEverywhere) {
  auto a = Join();
  auto b = Join();
  ASSERT_TRUE(a && b);
  SetNetInt(NewNetObject(a), 31, 20);
  SetNetInt(NewNetObject(b), 31, 30);
  Ref<TGNetObject> onListener, onB;
  ASSERT_TRUE(PumpUntil({listener, a, b}, {}, [&] {
    onListener = MirrorOf(listener, 20);
    onB = MirrorOf(b, 20);
    return onListener && onB && MirrorOf(a, 30);
  }));

  CloseNetHost(a);
  bool closedOnListener = false, closedOnB = false;
  ASSERT_TRUE(PumpUntil({listener, b}, {}, [&] {
    closedOnListener = closedOnListener || NetObjectsByState(listener, 3)->Contains(onListener);
    closedOnB = closedOnB || NetObjectsByState(b, 3)->Contains(onB);
    return closedOnListener && closedOnB && !b->Objects()->Contains(onB);
  }));
  EXPECT_EQ(listener->Peers()->Count(), 1);
  EXPECT_NE(MirrorOf(listener, 30), nullptr);  // B's object stays
}

// A peer that has gone but whose departure Sync has not handled yet is sent
// nothing, instead of the send failing inside Sync.
TEST_F(NetGNetTwoHosts, ChangesForAPeerThatJustLeftAreNotAnError) {
  auto client = Join();
  ASSERT_NE(client, nullptr);
  auto own = NewNetObject(listener);
  SyncNetHost(listener);
  CloseNetHost(client);
  bool gone = false;
  for (int i = 0; i < 2000 && !gone; ++i) {
    listener->UpdateENetEvents();  // the departure waits in the queue
    for (Ref<ENetEvent> event : listener->_enetEvents->Each<ENetEvent>()) gone = gone || event->event == 2;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(gone);
  SetNetInt(own, 0, 5);
  SyncNetHost(listener);
  EXPECT_EQ(listener->Peers()->Count(), 0);
}

TEST_F(NetGNetTwoHosts, ConnectingToNobodyFailsWithinItsTimeout) {
  int32_t nobody = 0;
  CloseNetHost(Keep(ListeningHost(nobody)));  // a port nobody listens on now
  auto host = Keep(NewNetHost());
  EXPECT_EQ(NetHostConnect(host, "127.0.0.1", nobody, 200), 0);
  EXPECT_EQ(host->_enetHost, nullptr);
  EXPECT_EQ(NetHostConnect(host, "", nobody, 200), 0);  // resolves to nothing
}

// Waiting for an answer that never comes leaves the processor to others.
TEST_F(NetGNetTwoHosts, ConnectingWaitsWithoutSpinning) {
  InitNet();
  Ref<TSocket> silent = CreateUDPSocket();  // takes every datagram, answers none
  ASSERT_EQ(BindSocket(silent, 0), 1);
  auto host = NewNetHost();
  const int64_t cpuBefore = ThreadCpuMicroseconds();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(NetHostConnect(host, "127.0.0.1", SocketLocalPort(silent), 500), 0);
  const auto waited =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  const int64_t cpu = (ThreadCpuMicroseconds() - cpuBefore) / 1000;
  EXPECT_GE(waited, 490);
  EXPECT_LT(cpu, 50) << "processor time in ms while waiting " << waited << " ms";
}

}  // namespace
}  // namespace vtl::test
