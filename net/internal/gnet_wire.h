/// \file
/// The byte level of networked objects: slot records, the packet header, and
/// the receive path that checks everything a peer sends before it changes
/// anything.
#pragma once

#include <cstddef>
#include <cstdint>

#include "net/gnet.h"
#include "runtime/string.h"

namespace vtl {

/// Object ids run from 1 to this; 0 means none.
constexpr int32_t GNET_MAX_ID = 4095;

/// \name The packet header
/// Two bytes before a message's slot records: the state in the high 4 bits
/// of the first, bits 8-11 of the id in its low 4, bits 0-7 of the id in the
/// second.
///@{
constexpr size_t GNET_HEADER_BYTES = 2;
/// What a packet header says.
struct GNetHeader {
  int32_t state = 0;  ///< 0 to 15.
  int32_t id = 0;     ///< 0 to 4095.
};
/// Writes the header of a message of state about id to out[0] and out[1].
inline void PackGNetHeader(uint8_t* out, int32_t state, int32_t id) {
  out[0] = static_cast<uint8_t>((id >> 8) | (state * 16));
  out[1] = static_cast<uint8_t>(id);
}
/// Reads the header at bytes[0] and bytes[1].
inline GNetHeader ParseGNetHeader(const uint8_t* bytes) { return {bytes[0] >> 4, ((bytes[0] & 0x0F) << 8) | bytes[1]}; }
///@}

/// \name The slot record header
/// One byte before each slot's value: the slot type in the top 3 bits, the
/// slot index in the low 5.
///@{
/// What a slot record header says.
struct GNetRecordHeader {
  int32_t type = 0;   ///< 0 to 7; only 1 to 6 are slot types that travel.
  int32_t index = 0;  ///< The slot, 0 to 31.
};
/// The header byte of a record of slot index of type.
inline uint8_t PackGNetRecordHeader(int32_t type, int32_t index) { return static_cast<uint8_t>((type << 5) | index); }
/// Reads a record header byte.
inline GNetRecordHeader ParseGNetRecordHeader(uint8_t byte) { return {byte >> 5, byte & 0x1F}; }
///@}

/// Bytes of one slot record (header included) for a slot of type with a
/// string of stringLength characters; 0 for unset, -1 for an unknown type.
/// Without the header, the rest of GNetRecordSize(type, 0) is the number that
/// follows it: the value, or a string's length.
inline int64_t GNetRecordSize(int32_t type, int64_t stringLength) {
  switch (type) {
    case GNET_UNSET: return 0;
    case GNET_INT:
    case GNET_FLOAT: return 5;
    case GNET_HALF:
    case GNET_SHORT: return 3;
    case GNET_STRING: return stringLength + 3;
    case GNET_BYTE: return 2;
    default: return -1;
  }
}

/// The slot type SetInt gives v: the narrowest int type that carries it.
inline int32_t GNetIntType(int32_t v) {
  if (v < 0 || v > 65535) return GNET_INT;
  return v < 256 ? GNET_BYTE : GNET_SHORT;
}

/// The one way a message is made, for every kind that is sent: id, state
/// and slot records (none when records is Null).
Ref<TGNetMsg> NewGNetMsg(int32_t id, int32_t state, Ref<Array<uint8_t>> records = nullptr);
/// A byte array holding a copy of size bytes at data.
Ref<Array<uint8_t>> GNetBytes(const uint8_t* data, size_t size);

/// The ids of one host's objects, kept in the host's _idMap (objects by id,
/// Null where free): a new object takes the lowest free id, and an id is free
/// again once its object lets it go.
class GNetIdPool {
 public:
  /// The pool over byId, indexed 0 to GNET_MAX_ID.
  explicit GNetIdPool(Array<Ref<TGNetObject>>& byId) : byId_(byId) {}
  /// The lowest free id, which the next Take of an object with it holds; 0
  /// when all are taken.
  int32_t Allocate() const;
  /// Enters object under its id.
  void Take(const Ref<TGNetObject>& object);
  /// Frees object's id, unless another object holds it by now.
  void Free(const Ref<TGNetObject>& object);

 private:
  Array<Ref<TGNetObject>>& byId_;
};

/// Bytes of the slot records of object's slots whose bit is set in mask.
int64_t GNetPackedSize(const TGNetObject& object, uint32_t mask);

/// Throws "GNet message data too large" when giving slot index a record of
/// recordSize bytes (header included) would leave object with more slot data
/// than one message carries, so that it could no longer be announced whole.
/// A write that does not grow the slot always passes. An index outside 0 to
/// 31 throws TArrayBoundsException.
void GNetCheckWrite(const TGNetObject& object, int32_t index, int64_t recordSize);

/// Converts IEEE 754 half-precision bits to a float: zeros, subnormals,
/// infinities and NaN included.
float HalfToFloat(uint16_t half);

/// What reading a slot record found.
enum class GNetRecordCheck { Ok, InvalidType, Corrupt };

/// One slot record within a message's data.
struct GNetRecord {
  int index = 0;       ///< The slot, 0 to 31.
  int type = 0;        ///< The wire type, 1 to 6.
  uint32_t value = 0;  ///< The number after the header: the value, or a string's length.
  size_t size = 0;     ///< Bytes of the whole record, header included.
};

/// Reads the record that starts at bytes[at] (at < size); the record holds
/// it only when the answer is Ok.
GNetRecordCheck GNetReadRecord(const uint8_t* bytes, size_t size, size_t at, GNetRecord& record);

/// The slots that have a record in bytes; every slot when they are not well
/// formed.
uint32_t GNetSlotsIn(const uint8_t* bytes, size_t size);

/// The slot records of one message, decoded and checked but not yet stored.
/// Strings are not copied: they point into the decoded bytes, which must
/// outlive StoreInto. Entries of slots outside mask mean nothing.
struct GNetDecodedSlots {
  uint32_t mask = 0;         ///< Bit i: slot i has a record.
  int32_t type[32];          ///< Per slot: GNET_INT, GNET_STRING or GNET_FLOAT (ints by width are GNET_INT here).
  int32_t ints[32];          ///< Int values, or a string's length.
  float floats[32];          ///< Float values (half floats converted).
  const uint8_t* chars[32];  ///< A string's bytes, one per character.

  /// Decodes size bytes of slot records; a later record for the same slot
  /// wins, as it would when stored one by one.
  GNetRecordCheck Decode(const uint8_t* bytes, size_t size);
  /// Stores every decoded slot through object's slots' setters, marking each
  /// as written. The size is the caller's to check first: a record that
  /// shrinks one slot may come after one that grows another.
  void StoreInto(TGNetObject& object) const;
  /// The bytes object's every slot would take once these are stored.
  int64_t PackedSizeAfterStore(const TGNetObject& object) const;
};

/// What the receive path did with one packet.
enum class GNetVerdict {
  Accepted,      ///< Applied and relayed.
  Dropped,       ///< Ignored: a correct host may send it (an id already gone, no room).
  Disconnected,  ///< No correct host sends it: the peer was disconnected.
};

/// Handles one packet from peer, which must be in host's peer list: checks
/// it, applies it and relays it, or drops it, or disconnects the peer and
/// closes its objects on this host and the others. Never throws for
/// anything in the bytes.
GNetVerdict ReceiveGNetPacket(TGNetHost& host, const Ref<TGNetPeer>& peer, const uint8_t* bytes, size_t size,
                              int32_t channel);

/// Messages one Sync hands ENet at most, over all peers (a few milliseconds
/// of work); the rest wait, merged where they can be
/// (net/internal/gnet_outbox.h). This bounds the time a Sync spends sending
/// when a host has more to relay than the processor keeps up with.
constexpr int32_t GNET_MAX_SENDS_PER_SYNC = 8192;

/// TGNetPeer::SendMsg of a creation or change of object, this host's object
/// under msg's id (or of nothing: object null), whose slots msg's records
/// are of; while the peer is behind, or sendsLeft (when not null) is used
/// up, the message waits as the object and those slots.
void SendGNetMsgOf(TGNetPeer& peer, const Ref<TGNetMsg>& msg, TGNetObject* object, uint32_t slots, int32_t* sendsLeft);

/// Sends peer a "created" message of object, packed when it goes out: a
/// newcomer is told of every live object at once, and packing thousands
/// then would hold the Sync up for nothing when the newcomer can take only a
/// window of them (or, hostile, is cut off before it takes any).
void GNetAnnounce(TGNetPeer& peer, const Ref<TGNetObject>& object);

/// Hands ENet up to most of the messages waiting for peer, as far as it has
/// room and sendsLeft lasts; true when some went.
bool FlushGNetPeer(TGNetPeer& peer, int32_t& sendsLeft, int32_t most);

/// Closes every object that came from peer (announcing the closing to the
/// other peers) and removes the peer from the host.
void RemoveGNetPeer(TGNetHost& host, const Ref<TGNetPeer>& peer);

/// The port a listening host is bound to, 0 when it has none.
int32_t GNetHostPort(const TGNetHost& host);

}  // namespace vtl
