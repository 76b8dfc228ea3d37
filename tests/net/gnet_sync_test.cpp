// What one Sync visits: only the objects with something to send or to
// close, in the order of the host's object list, whatever order they changed
// in; an object that has nothing to say costs a Sync nothing.
#include <gtest/gtest.h>

#include <time.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "gnet_hosts_fixture.h"
#include "net/internal/gnet_sync_list.h"

namespace vtl::test {
namespace {

class NetGNetSync : public GNetHostsTest {};

int64_t ThreadCpuNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Processor time of rounds Syncs of a host with quiet objects besides one
// that changes every round.
int64_t SyncCost(int32_t quiet, int32_t rounds) {
  InitNet();
  auto host = NewNetHost();
  for (int32_t i = 0; i < quiet; ++i) SetNetInt(NewNetObject(host), 0, i);
  auto busy = NewNetObject(host);
  SyncNetHost(host);
  const int64_t before = ThreadCpuNanoseconds();
  for (int32_t round = 0; round < rounds; ++round) {
    SetNetInt(busy, 0, round);
    SyncNetHost(host);
  }
  const int64_t cost = ThreadCpuNanoseconds() - before;
  EXPECT_EQ(NetObjectState(busy), GNET_SYNCHRONISED);
  CloseNetHost(host);
  return cost;
}

TEST_F(NetGNetSync, QuietObjectsCostASyncNothing) {
  SyncCost(10, 100);  // warm up
  const int64_t few = SyncCost(10, 2000);
  const int64_t many = SyncCost(4000, 2000);
  RecordProperty("us_per_2000_syncs_beside_10", static_cast<int>(few / 1000));
  RecordProperty("us_per_2000_syncs_beside_4000", static_cast<int>(many / 1000));
  EXPECT_LT(many, 4 * few + 2000000) << "2000 Syncs beside 4000 quiet objects took " << many / 1000 << " us, beside 10 "
                                     << few / 1000 << " us";
}

TEST_F(NetGNetSync, ChangesGoOutInTheOrderTheObjectsWereMade) {
  RawClient raw;
  ASSERT_TRUE(JoinRaw(raw));
  std::vector<Ref<TGNetObject>> objects;
  for (int i = 0; i < 4; ++i) objects.push_back(NewNetObject(listener));  // ids 1 to 4
  SyncNetHost(listener);
  ASSERT_TRUE(PumpUntil({listener}, {&raw}, [&] { return raw.received.size() == 4; }));

  // Last made first: the wire still follows the object list.
  SetNetInt(objects[3], 0, 4);
  CloseNetObject(objects[1]);
  SetNetInt(objects[0], 0, 1);
  SetNetInt(objects[3], 1, 5);
  auto fifth = NewNetObject(listener);
  SyncNetHost(listener);
  ASSERT_TRUE(PumpUntil({listener}, {&raw}, [&] { return raw.received.size() == 8; }));
  EXPECT_EQ(raw.received[4], (Packet{0x20, 0x01, 0x80, 1}));
  EXPECT_EQ(raw.received[5], (Packet{0x30, 0x02}));
  EXPECT_EQ(raw.received[6], (Packet{0x20, 0x04, 0x80, 4, 0x81, 5}));
  EXPECT_EQ(raw.received[7], (Packet{0x10, 0x05}));
  EXPECT_FALSE(listener->Objects()->Contains(objects[1]));

  // A remote object changed by one Sync is synchronised again by the next,
  // and one closed by its peer leaves the host.
  raw.Send({0x10, 0x09, 0x80, 7});
  Ref<TGNetObject> remote;
  ASSERT_TRUE(PumpUntil({listener}, {&raw}, [&] {
    if (NetObjectsByState(listener, 1)->Count() > 0)
      remote = DowncastObject<TGNetObject>(NetObjectsByState(listener, 1)->First());
    return remote != nullptr;
  }));
  SyncNetHost(listener);
  EXPECT_EQ(NetObjectState(remote), GNET_SYNCHRONISED);
  raw.Send({0x20, 0x09, 0x80, 8});
  ASSERT_TRUE(PumpUntil({listener}, {&raw}, [&] { return NetObjectsByState(listener, 2)->Contains(remote); }));
  EXPECT_EQ(NetObjectState(remote), GNET_MODIFIED);
  SyncNetHost(listener);
  EXPECT_EQ(NetObjectState(remote), GNET_SYNCHRONISED);
  EXPECT_EQ(GetNetInt(remote, 0), 8);
  raw.Send({0x30, 0x09});
  ASSERT_TRUE(PumpUntil({listener}, {&raw}, [&] { return NetObjectsByState(listener, 3)->Contains(remote); }));
  SyncNetHost(listener);
  EXPECT_EQ(NetObjectState(remote), GNET_DEAD);
  EXPECT_FALSE(listener->Objects()->Contains(remote));
}

// A Sync with a long backlog to handle still reads from ENet every
// millisecond or so: reading is when ENet takes in acknowledgements and sends
// its own, and ENet resends whatever stays unacknowledged for longer than a
// round trip, so a host that read only between long batches had its peers'
// data resent to it, and resent its own, until peers timed out.
TEST_F(NetGNetSync, ALongBacklogDoesNotKeepAcknowledgementsWaiting) {
  std::vector<std::unique_ptr<RawClient>> clients;
  std::vector<RawClient*> raw;
  for (int i = 0; i < 24; ++i) {
    clients.push_back(std::make_unique<RawClient>());
    raw.push_back(clients.back().get());
    raw.back()->Connect(port);
  }
  ASSERT_TRUE(PumpUntil({listener}, raw, [&] { return listener->Peers()->Count() == 24; }));
  RawClient& sender = *raw[0];
  sender.Send({0x10, 0x01, 0x80, 0});
  ASSERT_TRUE(PumpUntil({listener}, raw, [&] { return listener->Objects()->Count() == 1; }));

  // Changes that the listener takes in without handling them yet (as many
  // as it takes in before it stops reading): the next Sync relays each to 23
  // peers.
  constexpr int32_t kChanges = 16000;
  for (int32_t i = 0; i < kChanges; ++i) {
    const auto high = static_cast<uint8_t>(i >> 8), low = static_cast<uint8_t>(i);
    sender.Queue({0x20, 0x01, 0x20, 0, 1, high, low, 0x21, 0, 2, high, low, 0x22, 0, 3, high, low});
  }
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (listener->_enetEvents->Count() < kChanges && std::chrono::steady_clock::now() < giveUp) {
    sender.Service();
    listener->UpdateENetEvents();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  ASSERT_EQ(listener->_enetEvents->Count(), kChanges);

  const auto start = std::chrono::steady_clock::now();
  SyncNetHost(listener);
  const auto took = std::chrono::steady_clock::now() - start;
  const auto gap = listener->_work->longestReadGap;
  const int32_t reads = listener->_work->readsInLastSync;
  const auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
  if (took < std::chrono::milliseconds(10)) GTEST_SKIP() << "the backlog took only " << ms(took) << " ms";
  // About a read a millisecond. The count, unlike the longest gap, holds when
  // the test itself is put aside for a while by a busy machine.
  EXPECT_GE(reads, static_cast<int32_t>(ms(took) / 4))
      << reads << " reads in a " << ms(took) << " ms Sync; the longest gap was " << ms(gap) << " ms";
}

}  // namespace
}  // namespace vtl::test
