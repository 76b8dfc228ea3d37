/// \file
/// What a host has for one peer that ENet should not hold yet. ENet takes a
/// message at once while nothing waits here and it holds less for the peer
/// than it may have in flight (its window, which it narrows when the peer is
/// slow to acknowledge); beyond that, messages wait here until the end of a
/// Sync finds room. ENet's own queue of unsent messages thus stays empty (it
/// walks all of that queue for every datagram it sends), and a peer that
/// falls behind costs memory in proportion to the host's objects, not to the
/// time it is behind.
///
/// A waiting creation or change of an object is kept as the object and the
/// slots to send; later changes of the same object add their slots to it,
/// and it is packed from the object's values when it goes out. The peer
/// thus receives the latest value of every changed slot without every value
/// in between. Closings and messages to objects wait as they are; nothing is
/// dropped or reordered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "net/gnet.h"

namespace vtl {

/// Messages for one peer; see the file comment.
class GNetOutbox {
 public:
  GNetOutbox();
  ~GNetOutbox();
  GNetOutbox(const GNetOutbox&) = delete;
  GNetOutbox& operator=(const GNetOutbox&) = delete;

  /// Sends one message (state, id in the peer's numbering, slot records) to
  /// enetPeer (an ENetPeer*), or keeps it until ENet has room. object, when
  /// not null, is the host's object the creation or change is of, holding
  /// (by the next Flush) the values it carries in slots (the slots its
  /// records are of). sendsLeft, when not null, is what the host may still
  /// hand ENet in this Sync: sending takes one, and at 0 the message waits.
  /// Throws "ENet errror" when ENet refuses the message.
  void Send(void* enetPeer, int32_t state, int32_t id, const uint8_t* records, size_t size, TGNetObject* object,
            uint32_t slots, int32_t* sendsLeft);
  /// Hands ENet up to most waiting messages, as far as it has room and
  /// sendsLeft lasts; true when some were handed over. Objects are packed
  /// now, so this comes when they hold what their changes carried.
  bool Flush(void* enetPeer, int32_t& sendsLeft, int32_t most);
  /// Forgets every waiting message (the peer has gone).
  void Clear();
  /// The packets ENet holds for the peer, counted up when one is handed
  /// over and down when ENet lets it go (acknowledged, or dropped with the
  /// peer).
  struct InENet;

 private:
  struct Message {
    int32_t state;
    int32_t id;
    uint64_t number;               // in the order of Send
    Ref<TGNetObject> object;       // for a creation or change: packed when sent
    uint32_t slots;                // ... these of its slots, unless still open (below)
    std::vector<uint8_t> records;  // for anything else: sent as it is
  };

  // By id: the creation or change of it still waiting that later changes
  // may join. Kept apart from the waiting messages, in one small entry per
  // id, because a host relaying to many peers merges every change it
  // receives into every peer's outbox.
  struct Open {
    uint64_t number = 0;  // the message's, 0 for none
    uint32_t slots = 0;   // the slots it sends
    const TGNetObject* object = nullptr;
  };

  bool HasRoom(void* enetPeer) const;
  void Put(void* enetPeer, int32_t state, int32_t id, const uint8_t* records, size_t size);
  // Ends what later changes of id may join: its slots go with its message.
  void Close(int32_t id);

  std::deque<Message> waiting_;
  uint64_t nextNumber_ = 1;
  std::vector<Open> open_;
  InENet* inENet_;
};

}  // namespace vtl
