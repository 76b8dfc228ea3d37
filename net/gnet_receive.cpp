// The receive path. Everything here comes from another process, so nothing
// is changed or relayed until the whole packet has been checked, and nothing
// in the bytes can make it throw.
#include "net/gnet.h"
#include "net/internal/gnet_sync_list.h"
#include "net/internal/gnet_wire.h"
#include "runtime/list.h"

namespace vtl {

namespace {

// A message as received, to pass on: id in the receiver's numbering.
Ref<TGNetMsg> RelayOf(int32_t id, int32_t state, const uint8_t* data, size_t size) {
  return NewGNetMsg(id, state, GNetBytes(data, size));
}

GNetVerdict Disconnect(TGNetHost& host, const Ref<TGNetPeer>& peer) {
  peer->Close();
  RemoveGNetPeer(host, peer);
  return GNetVerdict::Disconnected;
}

// A message to an object of this host, or passed on to the host it came from.
GNetVerdict ReceiveMessage(TGNetHost& host, int32_t id, const GNetDecodedSlots& slots, const uint8_t* data,
                           size_t size) {
  Ref<TGNetObject> target = (*host._idMap)[id];
  // Gone already (or never there): a correct sender may not have heard yet.
  if (target == nullptr) return GNetVerdict::Dropped;
  if (target->_peer == nullptr) {
    auto message = TGNetObject::Create(id, GNET_MESSAGE, Ref<TGNetHost>(&host), nullptr);
    host._messages->AddLast(message);
    slots.StoreInto(*message);
    message->_modified = 0;
  } else {
    target->_peer->SendMsg(RelayOf(id, GNET_MESSAGE, data, size));
  }
  return GNetVerdict::Accepted;
}

GNetVerdict ReceiveCreated(TGNetHost& host, const Ref<TGNetPeer>& peer, int32_t remote, const GNetDecodedSlots& slots,
                           const uint8_t* data, size_t size) {
  // No correct host announces id 0, or an id it has announced and not closed.
  if (remote == 0 || (*peer->_remoteToLocal)[remote] != 0 || (*peer->_unplaced)[remote] != 0) {
    return Disconnect(host, peer);
  }
  auto object = TGNetObject::Create(0, GNET_CREATED, Ref<TGNetHost>(&host), peer);
  // Half floats grow once stored; an object too large to announce to a
  // newcomer is not taken.
  if (slots.PackedSizeAfterStore(*object) > GNET_MAX_DATA) {
    (*peer->_unplaced)[remote] = 1;
    return GNetVerdict::Dropped;
  }
  object->_id = GNetIdPool(*host._idMap).Allocate();
  if (object->_id == 0) {
    (*peer->_unplaced)[remote] = 1;  // its later changes are dropped too
    return GNetVerdict::Dropped;
  }
  host.MapObject(object);
  peer->MapLocalId(object->_id, remote);
  host._work->syncList.List(host, object);
  host._created->AddLast(object);
  host.BroadCast(RelayOf(object->_id, GNET_CREATED, data, size), peer);
  slots.StoreInto(*object);
  object->_state = GNET_CREATED;
  return GNetVerdict::Accepted;
}

GNetVerdict ReceiveChange(TGNetHost& host, const Ref<TGNetPeer>& peer, int32_t state, int32_t remote,
                          const GNetDecodedSlots& slots, const uint8_t* data, size_t size) {
  const int32_t local = remote == 0 ? 0 : (*peer->_remoteToLocal)[remote];
  if (local == 0) {
    // An object this host had no room for: its changes go nowhere.
    if (remote != 0 && (*peer->_unplaced)[remote] != 0) {
      if (state == GNET_CLOSED) (*peer->_unplaced)[remote] = 0;
      return GNetVerdict::Dropped;
    }
    return Disconnect(host, peer);  // never announced by this peer
  }
  Ref<TGNetObject> object = (*host._idMap)[local];
  if (object == nullptr || object->_peer != peer) return Disconnect(host, peer);
  if (state == GNET_MODIFIED) {
    // The change would leave an object too large to announce to a newcomer.
    if (slots.PackedSizeAfterStore(*object) > GNET_MAX_DATA) return GNetVerdict::Dropped;
    host._modified->AddLast(object);
  } else {
    peer->UnmapLocalId(local);
    host.UnmapObject(object);
    host._closed->AddLast(object);
  }
  host.BroadCast(RelayOf(local, state, data, size), peer);
  slots.StoreInto(*object);
  object->_state = state;
  GNetSyncDue(*object);
  return GNetVerdict::Accepted;
}

}  // namespace

GNetVerdict ReceiveGNetPacket(TGNetHost& host, const Ref<TGNetPeer>& peer, const uint8_t* bytes, size_t size,
                              int32_t channel) {
  // Correct hosts send on channel 0 only, never less than the two header
  // bytes and never more slot data than one message may carry.
  if (channel != 0 || size < GNET_HEADER_BYTES || size > GNET_MAX_DATA + GNET_HEADER_BYTES)
    return Disconnect(host, peer);
  const auto [state, id] = ParseGNetHeader(bytes);
  const uint8_t* data = bytes + GNET_HEADER_BYTES;
  const size_t dataSize = size - GNET_HEADER_BYTES;
  if (state != GNET_CREATED && state != GNET_MODIFIED && state != GNET_CLOSED && state != GNET_MESSAGE) {
    return Disconnect(host, peer);
  }
  GNetDecodedSlots slots;
  if (slots.Decode(data, dataSize) != GNetRecordCheck::Ok) return Disconnect(host, peer);

  switch (state) {
    case GNET_MESSAGE: return ReceiveMessage(host, id, slots, data, dataSize);
    case GNET_CREATED: return ReceiveCreated(host, peer, id, slots, data, dataSize);
    default: return ReceiveChange(host, peer, state, id, slots, data, dataSize);
  }
}

void RemoveGNetPeer(TGNetHost& host, const Ref<TGNetPeer>& peer) {
  for (Ref<TGNetObject> object : host._objects->Each<TGNetObject>()) {
    // Objects already closed by their own message have been announced as
    // such, and their id may be in use again.
    if (object->_peer != peer || object->_state == GNET_CLOSED || object->_state == GNET_DEAD) continue;
    host.BroadCast(object->ClosedMsg(), peer);
    peer->UnmapLocalId(object->_id);
    host.UnmapObject(object);
    host._closed->AddLast(object);
    object->Close();
  }
  host._peers->Remove(peer);
}

}  // namespace vtl
