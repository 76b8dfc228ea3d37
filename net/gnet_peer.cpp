#include <enet/enet.h>

#include "net/gnet.h"
#include "net/internal/gnet_outbox.h"
#include "net/internal/gnet_wire.h"
#include "runtime/exceptions.h"

namespace vtl {

Ref<TGNetPeer> TGNetPeer::Create(void* enetPeer) {
  auto peer = New<TGNetPeer>();
  peer->_enetPeer = enetPeer;
  peer->_localToRemote = NewArray<int32_t>({GNET_MAX_ID + 1});
  peer->_remoteToLocal = NewArray<int32_t>({GNET_MAX_ID + 1});
  peer->_unplaced = NewArray<uint8_t>({GNET_MAX_ID + 1});
  return peer;
}

TGNetPeer::~TGNetPeer() { delete _outbox; }

void TGNetPeer::Close() {
  if (_outbox != nullptr) _outbox->Clear();
  if (_enetPeer == nullptr) return;
  auto* peer = static_cast<ENetPeer*>(_enetPeer);
  enet_peer_disconnect(peer, 0);
  enet_host_flush(peer->host);
  _enetPeer = nullptr;
}

void TGNetPeer::MapLocalId(int32_t local, int32_t remote) {
  (*_localToRemote)[local] = remote;
  (*_remoteToLocal)[remote] = local;
}

void TGNetPeer::UnmapLocalId(int32_t local) {
  int32_t& remote = (*_localToRemote)[local];
  if ((*_remoteToLocal)[remote] == local) (*_remoteToLocal)[remote] = 0;
  remote = 0;
}

void TGNetPeer::SendMsg(const Ref<TGNetMsg>& msg) { SendGNetMsgOf(*this, msg, nullptr, 0, nullptr); }

void SendGNetMsgOf(TGNetPeer& to, const Ref<TGNetMsg>& msg, TGNetObject* object, uint32_t slots, int32_t* sendsLeft) {
  auto* peer = static_cast<ENetPeer*>(to._enetPeer);
  // A peer that is closed or on its way out gets nothing: its disconnect
  // event follows and cleans up.
  if (peer == nullptr || peer->state != ENET_PEER_STATE_CONNECTED) return;
  const int32_t id = msg->state == GNET_MESSAGE ? (*to._localToRemote)[msg->id] : msg->id;
  if (to._outbox == nullptr) to._outbox = new GNetOutbox;
  to._outbox->Send(peer, msg->state, id, msg->data->Data(), static_cast<size_t>(msg->data->Length()), object, slots,
                   sendsLeft);
}

void GNetAnnounce(TGNetPeer& to, const Ref<TGNetObject>& object) {
  auto* peer = static_cast<ENetPeer*>(to._enetPeer);
  // A peer that is closed or on its way out gets nothing, as in SendGNetMsgOf.
  if (peer == nullptr || peer->state != ENET_PEER_STATE_CONNECTED) return;
  if (to._outbox == nullptr) to._outbox = new GNetOutbox;
  int32_t noneNow = 0;
  to._outbox->Send(peer, GNET_CREATED, object->_id, nullptr, 0, object.Get(), ~0u, &noneNow);
}

bool FlushGNetPeer(TGNetPeer& peer, int32_t& sendsLeft, int32_t most) {
  return peer._outbox != nullptr && peer._outbox->Flush(peer._enetPeer, sendsLeft, most);
}

ENetEvent::~ENetEvent() {
  if (packet != nullptr) enet_packet_destroy(static_cast<ENetPacket*>(packet));
}

}  // namespace vtl
