#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <vector>

#include "net/internal/gnet_wire.h"
#include "net/net.h"
#include "runtime/exceptions.h"

namespace vtl {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes ToBytes(const Ref<Array<uint8_t>>& a) { return Bytes(a->begin(), a->end()); }

Ref<Array<uint8_t>> FromBytes(const Bytes& bytes) {
  auto a = NewArray<uint8_t>({static_cast<int32_t>(bytes.size())});
  std::copy(bytes.begin(), bytes.end(), a->begin());
  return a;
}

Ref<TGNetObject> OwnObject() { return TGNetObject::Create(1, GNET_CREATED, nullptr, nullptr); }

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const ThrownObject& t) {
    return t.what();
  }
  return "";
}

TEST(GNetSlots, IntsTakeTheNarrowestWidthAndPackByteByByte) {
  auto o = OwnObject();
  o->SetInt(0, 200);
  o->SetInt(1, 300);
  o->SetInt(3, -1);
  o->SetInt(4, 65536);
  o->SetInt(5, 255);
  o->SetInt(6, 65535);
  o->SetInt(7, 256);
  EXPECT_EQ(ToBytes(o->PackSlots(1 << 0)), (Bytes{0x80, 200}));
  EXPECT_EQ(ToBytes(o->PackSlots(1 << 1)), (Bytes{0xA1, 0x01, 0x2C}));
  EXPECT_EQ(ToBytes(o->PackSlots(1 << 3)), (Bytes{0x23, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(ToBytes(o->PackSlots(1 << 4)), (Bytes{0x24, 0x00, 0x01, 0x00, 0x00}));
  EXPECT_EQ(ToBytes(o->PackSlots(0xE0)), (Bytes{0x85, 0xFF, 0xA6, 0xFF, 0xFF, 0xA7, 0x01, 0x00}));
}

TEST(GNetSlots, StringsAndFloatsPackInSlotOrder) {
  auto o = OwnObject();
  o->SetString(2, "AB");
  o->SetFloat(31, 1.0f);
  o->SetString(3, std::u16string_view(u"\u0141x"));  // only the low byte of a character travels
  EXPECT_EQ(ToBytes(o->PackSlots(1 << 2)), (Bytes{0x62, 0x00, 0x02, 0x41, 0x42}));
  EXPECT_EQ(ToBytes(o->PackSlots(-1)),
            (Bytes{0x62, 0x00, 0x02, 0x41, 0x42, 0x63, 0x00, 0x02, 0x41, 0x78, 0xDF, 0x3F, 0x80, 0x00, 0x00}));
  EXPECT_EQ(ToBytes(o->PackSlots(0)), Bytes{});  // unset slots and unmasked ones take nothing
}

TEST(GNetSlots, DataUpTo65520BytesPacksAndMoreIsRefused) {
  auto o = OwnObject();
  // 32 records of 3 header bytes: 65424 characters fill the limit exactly.
  for (int i = 0; i < 32; ++i) o->SetString(i, String::FromLatin1(std::string(i == 0 ? 2060 : 2044, 'x')));
  EXPECT_EQ(o->PackSlots(-1)->Length(), 65520);
  (*o->_slots)[5]->SetString(String::FromLatin1(std::string(2045, 'x')));  // past the object's own guard
  EXPECT_EQ(ErrorOf([&] { o->PackSlots(-1); }), "GNet message data too large");
  EXPECT_EQ(o->PackSlots(1 << 5)->Length(), 2048);  // fine on its own
}

// An object whose slots no longer fit one message could not be announced to
// a host that joins, so the write that would get it there is refused.
TEST(GNetSlots, WritesThatWouldMakeTheObjectTooLargeToAnnounceAreRefused) {
  const String text = String::FromLatin1(std::string(40000, 'a'));
  auto o = OwnObject();
  o->SetString(0, text);
  o->SetInt(2, 200);
  o->Sync();
  EXPECT_EQ(ErrorOf([&] { o->SetString(1, text); }), "GNet message data too large");
  EXPECT_EQ((*o->_slots)[1]->_type, GNET_UNSET);
  EXPECT_EQ(o->_modified, 0);
  EXPECT_EQ(o->State(), GNET_SYNCHRONISED);

  // Filling up to the limit exactly is fine; then a wider value is refused
  // and a narrower one taken.
  o->SetString(1, String::FromLatin1(std::string(GNET_MAX_DATA - 40003 - 2 - 3, 'b')));
  EXPECT_EQ(o->PackSlots(-1)->Length(), GNET_MAX_DATA);
  EXPECT_EQ(ErrorOf([&] { o->SetInt(2, 300); }), "GNet message data too large");
  EXPECT_EQ(ErrorOf([&] { o->SetFloat(3, 1.0f); }), "GNet message data too large");
  EXPECT_EQ(o->GetInt(2), 200);
  o->SetInt(2, 7);
  o->SetString(0, "");
  o->SetInt(2, 300);

  // Records taken whole are held to the same limit, and change nothing when refused.
  Bytes record = {0x65, 0x9C, 0x40};
  record.resize(record.size() + 40000, 'c');
  o->_modified = 0;
  EXPECT_EQ(ErrorOf([&] { o->UnpackSlots(FromBytes(record)); }), "GNet message data too large");
  EXPECT_EQ((*o->_slots)[5]->_type, GNET_UNSET);
  EXPECT_EQ(o->_modified, 0);
  // A record that shrinks one slot may come before one that grows another.
  Bytes swap = {0x61, 0x00, 0x00, 0x60, 0x9C, 0x40};
  swap.resize(swap.size() + 40000, 'd');
  o->UnpackSlots(FromBytes(swap));
  EXPECT_EQ(o->GetString(0).Length(), 40000);

  auto message = TGNetObject::Create(0, GNET_MESSAGE, nullptr, nullptr);
  message->SetString(0, text);
  EXPECT_EQ(ErrorOf([&] { message->SetString(1, text); }), "GNet message data too large");
}

TEST(GNetSlots, CallerMistakesStillRaise) {
  auto o = OwnObject();
  o->SetInt(0, 1);
  (*o->_slots)[0]->_type = 7;
  EXPECT_EQ(ErrorOf([&] { o->PackSlots(1); }), "Invalid GNet data type");
  const int32_t before = o->_modified;
  EXPECT_NE(ErrorOf([&] { o->SetInt(32, 1); }), "");
  EXPECT_NE(ErrorOf([&] { o->SetInt(-1, 1); }), "");
  EXPECT_EQ(o->_modified, before);  // a bad index marks nothing
  EXPECT_EQ(ErrorOf([&] { NetObjectsByState(TGNetHost::Create(), 4); }), "Unknown object state");
}

TEST(GNetSlots, UnpackStoresThroughTheSettersAndRoundTrips) {
  auto from = OwnObject();
  from->SetInt(0, -7);
  from->SetInt(1, 70000);
  from->SetInt(2, 65535);
  from->SetFloat(3, -2.5f);
  from->SetString(30, "hello");
  auto to = OwnObject();
  to->UnpackSlots(from->PackSlots(-1));
  EXPECT_EQ(to->GetInt(0), -7);
  EXPECT_EQ(to->GetInt(1), 70000);
  EXPECT_EQ(to->GetInt(2), 65535);
  EXPECT_EQ((*to->_slots)[2]->_type, GNET_SHORT);
  EXPECT_EQ(to->GetFloat(3), -2.5f);
  EXPECT_EQ(to->GetString(30), "hello");
  EXPECT_EQ(to->_modified, static_cast<int32_t>(0x4000000Fu));

  // A 4-byte int record holding a small value narrows on arrival.
  auto narrow = OwnObject();
  narrow->UnpackSlots(FromBytes({0x20, 0, 0, 0, 9}));
  EXPECT_EQ((*narrow->_slots)[0]->_type, GNET_BYTE);
}

TEST(GNetSlots, HalfFloatsDecodeEveryClass) {
  EXPECT_EQ(HalfToFloat(0x3C00), 1.0f);
  EXPECT_EQ(HalfToFloat(0xC000), -2.0f);
  EXPECT_EQ(HalfToFloat(0x7BFF), 65504.0f);
  EXPECT_EQ(std::bit_cast<uint32_t>(HalfToFloat(0x0000)), 0u);
  EXPECT_EQ(std::bit_cast<uint32_t>(HalfToFloat(0x8000)), 0x80000000u);  // negative zero keeps its sign
  EXPECT_EQ(HalfToFloat(0x0001), std::ldexp(1.0f, -24));                 // smallest subnormal
  EXPECT_EQ(HalfToFloat(0x03FF), std::ldexp(1023.0f, -24));              // largest subnormal
  EXPECT_EQ(HalfToFloat(0x8200), -std::ldexp(1.0f, -15));
  EXPECT_EQ(HalfToFloat(0x7C00), std::numeric_limits<float>::infinity());
  EXPECT_EQ(HalfToFloat(0xFC00), -std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(HalfToFloat(0x7E00)));
  EXPECT_TRUE(std::isnan(HalfToFloat(0xFC01)));

  auto o = OwnObject();
  o->UnpackSlots(FromBytes({0x44, 0x3C, 0x00}));  // arrives as a half, kept as a float
  EXPECT_EQ(o->GetFloat(4), 1.0f);
  EXPECT_EQ((*o->_slots)[4]->_type, GNET_FLOAT);
}

TEST(GNetSlots, BadDataRaisesAndChangesNothing) {
  const std::vector<std::pair<Bytes, std::string>> cases = {
      {{0x80, 5, 0x00}, "Invalid GNet data type"},         // type 0 after a good record
      {{0xE0}, "Invalid GNet data type"},                  // type 7
      {{0x21, 0, 0}, "Corrupt GNet message"},              // int cut short
      {{0x62, 0x00, 0x05, 0x41}, "Corrupt GNet message"},  // string longer than the data
      {{0x80}, "Corrupt GNet message"},                    // header alone
  };
  for (const auto& [bytes, error] : cases) {
    auto o = OwnObject();
    o->SetInt(0, 1);
    o->_modified = 0;
    EXPECT_EQ(ErrorOf([&] { o->UnpackSlots(FromBytes(bytes)); }), error);
    EXPECT_EQ(o->GetInt(0), 1);
    EXPECT_EQ(o->_modified, 0);
  }
}

TEST(GNetObject, OwnObjectsMoveThroughTheirStates) {
  auto o = OwnObject();
  o->SetInt(2, 9);
  Ref<TGNetMsg> created = o->Sync();
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->state, GNET_CREATED);
  EXPECT_EQ(ToBytes(created->data), (Bytes{0x82, 9}));
  EXPECT_EQ(o->State(), GNET_SYNCHRONISED);
  EXPECT_EQ(o->Sync(), nullptr);  // nothing changed

  o->SetInt(3, 1);
  EXPECT_EQ(o->State(), GNET_MODIFIED);
  EXPECT_EQ(ToBytes(o->Sync()->data), (Bytes{0x83, 1}));  // only what changed

  o->_target = o;
  o->Close();
  o->Close();  // closing twice is harmless
  EXPECT_EQ(o->State(), GNET_CLOSED);
  Ref<TGNetMsg> closed = o->Sync();
  EXPECT_EQ(closed->state, GNET_CLOSED);
  EXPECT_EQ(o->State(), GNET_DEAD);
  EXPECT_EQ(o->_target, nullptr);
  EXPECT_EQ(ErrorOf([&] { o->Close(); }), "Illegal object state");
  EXPECT_EQ(ErrorOf([&] { TGNetObject::Create(0, GNET_MESSAGE, nullptr, nullptr)->Close(); }), "Illegal object state");
}

TEST(GNetObject, RemoteObjectsSendNothing) {
  auto peer = TGNetPeer::Create(nullptr);
  auto o = TGNetObject::Create(1, GNET_MODIFIED, nullptr, peer);
  o->SetInt(0, 5);
  EXPECT_EQ(o->Sync(), nullptr);
  EXPECT_EQ(o->State(), GNET_SYNCHRONISED);
  EXPECT_EQ(o->_modified, 0);
}

TEST(GNetHost, ClosingBeforeTheFirstSyncRemovesTheObjectSilently) {
  InitNet();
  auto host = NewNetHost();
  auto kept = NewNetObject(host);
  auto gone = NewNetObject(host);
  EXPECT_EQ(gone->_id, 2);
  CloseNetObject(gone);
  EXPECT_EQ(NetObjectState(gone), GNET_DEAD);
  SyncNetHost(host);
  EXPECT_EQ(host->Objects()->Count(), 1);
  EXPECT_EQ(NewNetObject(host)->_id, 2);  // its id is free again
  EXPECT_EQ(IsLocalNetObject(kept), 1);
  EXPECT_EQ(IsRemoteNetObject(kept), 0);
  CloseNetHost(host);
}

TEST(GNetHost, IdsRunOutOnlyForTheLocalCaller) {
  InitNet();
  auto host = NewNetHost();
  for (int i = 0; i < GNET_MAX_ID; ++i) NewNetObject(host);
  EXPECT_EQ(ErrorOf([&] { NewNetObject(host); }), "Out of GNet object IDs");
  EXPECT_EQ(host->Objects()->Count(), GNET_MAX_ID);
  CloseNetHost(host);
  EXPECT_EQ(host->Objects()->Count(), 0);  // closing lets the objects go
  CloseNetHost(host);
  auto late = NewNetObject(host);  // a closed host still keeps objects, alone
  SyncNetHost(host);
  EXPECT_EQ(NetObjectState(late), GNET_SYNCHRONISED);
  EXPECT_EQ(NetHostListen(host, 0), 0);
  CloseNetHost(host);
  EXPECT_EQ(host->Objects()->Count(), 0);
}

TEST(GNetHost, MessagesToOwnObjectsAreNotSent) {
  InitNet();
  auto host = NewNetHost();
  auto target = NewNetObject(host);
  auto message = NewNetMessage(host);
  EXPECT_EQ(NetObjectState(message), GNET_MESSAGE);
  SendNetMessage(message, target);  // no peer: nothing to do, nothing thrown
  EXPECT_EQ(host->Objects()->Count(), 1);
  SetNetTarget(target, target);
  EXPECT_EQ(GetNetTarget(target), target);
  SetNetTarget(target, nullptr);
  CloseNetHost(host);
}

}  // namespace
}  // namespace vtl
