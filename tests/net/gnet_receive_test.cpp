// The receive path on a host without a connection: packets are handed to it
// as if they came from a peer (a peer without a connection receives nothing).
#include <gtest/gtest.h>

#include <vector>

#include "fuzz/gnet_replay.h"
#include "gnet_loopback_support.h"
#include "net/internal/gnet_wire.h"
#include "net/net.h"
#include "test_file_helpers.h"

namespace vtl {
namespace {

using Bytes = std::vector<uint8_t>;

struct Fixture {
  Fixture() {
    InitNet();
    host = NewNetHost();
    own = NewNetObject(host);
    own->SetInt(0, 42);
    host->Sync();
    peer = AddFakePeer();
  }
  ~Fixture() { host->Close(); }

  Ref<TGNetPeer> AddFakePeer() {
    auto p = TGNetPeer::Create(nullptr);
    host->_peers->AddLast(p);
    return p;
  }
  GNetVerdict Receive(const Bytes& bytes, const Ref<TGNetPeer>& from = nullptr, int32_t channel = 0) {
    return ReceiveGNetPacket(*host, from ? from : peer, bytes.data(), bytes.size(), channel);
  }
  bool Connected(const Ref<TGNetPeer>& p) const { return host->_peers->Contains(p) != 0; }
  bool OwnIntact() const {
    return own->GetInt(0) == 42 && own->State() == GNET_SYNCHRONISED && (*host->_idMap)[own->_id] == own;
  }

  Ref<TGNetHost> host;
  Ref<TGNetObject> own;
  Ref<TGNetPeer> peer;
};

TEST(GNetReceive, MessagesNoCorrectHostSendsDisconnectTheSender) {
  for (const auto& [name, bytes] : test::PacketsNoHostSends()) {
    Fixture f;
    EXPECT_EQ(f.Receive(bytes), GNetVerdict::Disconnected) << name;
    EXPECT_FALSE(f.Connected(f.peer)) << name;
    EXPECT_TRUE(f.OwnIntact()) << name;
    EXPECT_EQ(f.host->Objects()->Count(), 1) << name;
  }

  Fixture f;
  EXPECT_EQ(f.Receive({0x10, 0x05}, nullptr, 1), GNetVerdict::Disconnected);  // another channel
  Fixture big;
  Bytes tooLong(2 + GNET_MAX_DATA + 1, 0x80);
  tooLong[0] = 0x10, tooLong[1] = 0x05;
  EXPECT_EQ(big.Receive(tooLong), GNetVerdict::Disconnected);
}

TEST(GNetReceive, ADuplicateCreationDisconnectsAndClosesWhatThePeerSent) {
  Fixture f;
  auto other = f.AddFakePeer();
  ASSERT_EQ(f.Receive({0x10, 0x05, 0x81, 7}), GNetVerdict::Accepted);
  ASSERT_EQ(f.host->ObjectsCreated()->Count(), 1);
  auto mirror = DowncastObject<TGNetObject>(f.host->ObjectsCreated()->First());
  EXPECT_EQ(mirror->_id, 2);
  EXPECT_EQ(mirror->GetInt(1), 7);
  EXPECT_EQ((*f.peer->_localToRemote)[2], 5);
  f.host->Sync();

  EXPECT_EQ(f.Receive({0x10, 0x05}), GNetVerdict::Disconnected);
  EXPECT_TRUE(f.Connected(other));
  EXPECT_EQ(mirror->State(), GNET_CLOSED);
  EXPECT_EQ(f.host->ObjectsClosed()->Count(), 1);
  EXPECT_EQ((*f.host->_idMap)[2], nullptr);
  f.host->Sync();
  EXPECT_EQ(f.host->Objects()->Count(), 1);
  EXPECT_TRUE(f.OwnIntact());
}

TEST(GNetReceive, ChangesTranslateToLocalIdsAndReachOnlyTheirObject) {
  Fixture f;
  auto other = f.AddFakePeer();
  ASSERT_EQ(f.Receive({0x10, 0x01, 0x80, 1}), GNetVerdict::Accepted);         // peer's id 1 is ours 2
  ASSERT_EQ(f.Receive({0x10, 0x01, 0x80, 9}, other), GNetVerdict::Accepted);  // other's id 1 is ours 3
  f.host->Sync();
  ASSERT_EQ(f.Receive({0x20, 0x01, 0x80, 2}), GNetVerdict::Accepted);
  auto mine = (*f.host->_idMap)[2];
  auto theirs = (*f.host->_idMap)[3];
  EXPECT_EQ(mine->GetInt(0), 2);
  EXPECT_EQ(mine->State(), GNET_MODIFIED);
  EXPECT_EQ(theirs->GetInt(0), 9);
  EXPECT_TRUE(f.OwnIntact());

  ASSERT_EQ(f.Receive({0x30, 0x01}), GNetVerdict::Accepted);
  EXPECT_EQ(mine->State(), GNET_CLOSED);
  // Its id is free at once and goes to the next newcomer; when the first
  // peer then leaves, that newcomer stays as it is.
  ASSERT_EQ(f.Receive({0x10, 0x04, 0x80, 4}, other), GNetVerdict::Accepted);
  auto reused = (*f.host->_idMap)[2];
  ASSERT_NE(reused, mine);
  RemoveGNetPeer(*f.host, f.peer);
  EXPECT_EQ((*f.host->_idMap)[2], reused);
  EXPECT_EQ(reused->State(), GNET_CREATED);
  EXPECT_EQ(f.host->ObjectsClosed()->Count(), 1);  // the one closed by its message
  EXPECT_EQ(f.Receive({0x30, 0x01}, other), GNetVerdict::Accepted);
}

TEST(GNetReceive, MessagesToObjectsThatAreGoneAreDropped) {
  Fixture f;
  EXPECT_EQ(f.Receive({0x50, 0x00, 0x80, 1}), GNetVerdict::Dropped);
  EXPECT_EQ(f.Receive({0x50, 0x09, 0x80, 1}), GNetVerdict::Dropped);
  EXPECT_TRUE(f.Connected(f.peer));
  EXPECT_EQ(NetHostMessages(f.host)->Count(), 0);

  ASSERT_EQ(f.Receive({0x50, 0x01, 0x83, 5}), GNetVerdict::Accepted);
  ASSERT_EQ(NetHostMessages(f.host)->Count(), 1);
  auto message = DowncastObject<TGNetObject>(NetHostMessages(f.host)->First());
  EXPECT_EQ(message->GetInt(3), 5);
  EXPECT_EQ(NetMessageTarget(message), f.own);
  EXPECT_TRUE(f.OwnIntact());  // a message leaves its target's slots alone
}

TEST(GNetReceive, CreationsBeyondTheFreeIdsAreDroppedWithTheirChanges) {
  Fixture f;
  for (int i = 1; i < GNET_MAX_ID; ++i) NewNetObject(f.host);  // every id taken
  EXPECT_EQ(f.Receive({0x10, 0x05, 0x80, 1}), GNetVerdict::Dropped);
  EXPECT_EQ(f.Receive({0x20, 0x05, 0x80, 2}), GNetVerdict::Dropped);
  EXPECT_EQ(f.Receive({0x10, 0x05}), GNetVerdict::Disconnected);  // created twice
  Fixture g;
  for (int i = 1; i < GNET_MAX_ID; ++i) NewNetObject(g.host);
  EXPECT_EQ(g.Receive({0x10, 0x05}), GNetVerdict::Dropped);
  EXPECT_EQ(g.Receive({0x30, 0x05}), GNetVerdict::Dropped);
  EXPECT_EQ(g.Receive({0x20, 0x05, 0x80, 2}), GNetVerdict::Disconnected);  // closed, then changed
  EXPECT_EQ(g.host->Objects()->Count(), GNET_MAX_ID);
}

TEST(GNetReceive, ObjectsTooLargeToAnnounceAreNotTaken) {
  Fixture f;
  // Two messages that each fit, but together would make an object no host
  // could announce to a newcomer.
  Bytes first = {0x10, 0x05, 0x60, 0x9C, 0x40};  // slot 0: 40000 characters
  first.resize(first.size() + 40000, 'a');
  Bytes second = {0x20, 0x05, 0x61, 0x9C, 0x40};
  second.resize(second.size() + 40000, 'b');
  ASSERT_EQ(f.Receive(first), GNetVerdict::Accepted);
  EXPECT_EQ(f.Receive(second), GNetVerdict::Dropped);
  EXPECT_TRUE(f.Connected(f.peer));
  f.host->AddPeer(nullptr);  // announcing every object still works
  // Half floats grow when stored: 32 of them plus a long string no longer fit.
  Bytes halves = {0x10, 0x06};
  for (int i = 0; i < 31; ++i) halves.insert(halves.end(), {static_cast<uint8_t>(0x40 | i), 0x3C, 0x00});
  const size_t text = GNET_MAX_DATA - 31 * 3 - 3;
  halves.insert(halves.end(), {0x7F, static_cast<uint8_t>(text >> 8), static_cast<uint8_t>(text)});
  halves.resize(halves.size() + text, 'h');
  ASSERT_EQ(halves.size(), 2u + GNET_MAX_DATA);
  EXPECT_EQ(f.Receive(halves), GNetVerdict::Dropped);
  f.host->AddPeer(nullptr);
}

TEST(GNetReceive, PacketsFromThePeerOnceDisconnectedAreIgnoredBySync) {
  Fixture f;
  ASSERT_EQ(f.Receive({0x10, 0x05}), GNetVerdict::Accepted);
  RemoveGNetPeer(*f.host, f.peer);
  f.host->Sync();
  EXPECT_EQ(f.host->Objects()->Count(), 1);
  EXPECT_TRUE(f.OwnIntact());
}

TEST(GNetReceive, SeedCorpusReplaysWithoutFault) {
  const auto files = test::FilesIn(VTL_NET_CORPUS_DIR);
  ASSERT_FALSE(files.empty());
  for (const std::string& path : files) {
    const auto bytes = test::ReadFile(path);
    SCOPED_TRACE(path);
    test::ReplayGNetPackets(bytes.data(), bytes.size());
  }
}

}  // namespace
}  // namespace vtl
