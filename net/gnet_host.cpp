#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <climits>

#include "net/gnet.h"
#include "net/internal/gnet_wire.h"
#include "runtime/exceptions.h"
#include "runtime/list.h"

namespace vtl {

namespace {

// Events handled by one Sync at most, so that a peer sending without pause
// cannot keep Sync from returning; the rest wait for the next Sync.
constexpr int32_t kMaxEventsPerSync = 65536;

// A Sync stops handling events after this long, for the same reason: with
// many peers to relay to, 65536 events can take seconds.
constexpr auto kMaxEventTimePerSync = std::chrono::milliseconds(50);

// Events a Sync reads from ENet before it handles them. Reading acknowledges,
// so a host that read everything waiting would take its peers' data faster
// than it handles it and pile it up; read in bounded batches, the rest stays
// in the socket, and peers that send faster than the host handles wait for
// its acknowledgements (and merge their changes meanwhile). The next batch is
// read as soon as one is handled.
constexpr int32_t kEventsPerRead = 4096;

ENetHost* Enet(const TGNetHost& host) { return static_cast<ENetHost*>(host._enetHost); }

// Bounds what one peer can make this host hold: no correct host sends more.
// And every peer may have a window of data in flight to this host at once: a
// socket buffer that holds all of it loses nothing while the host is busy
// elsewhere, where lost datagrams would make ENet wait ever longer before
// sending them again, until it gave up on the peer. (The system may grant
// less.)
void Configure(ENetHost* host) {
  host->maximumPacketSize = GNET_MAX_DATA + 2;
  enet_socket_set_option(host->socket, ENET_SOCKOPT_RCVBUF,
                         static_cast<int>(host->peerCount * ENET_PROTOCOL_MAXIMUM_WINDOW_SIZE));
}

// The longest single wait of Connect inside ENet's service call: ENet resends
// the connection request and notices its own time-out only between waits.
constexpr int64_t kConnectWaitSliceMs = 50;

// Appends pending ENet events to the host's list, waiting up to firstWait
// milliseconds for the first one; with enough, the next service call (which
// reads more from the socket) is left for later.
void AppendENetEvents(TGNetHost& self, enet_uint32 firstWait, int32_t enough = INT32_MAX) {
  ENetHost* host = Enet(self);
  if (host == nullptr) return;
  ::ENetEvent event;
  for (enet_uint32 wait = firstWait; enough-- > 0 && enet_host_service(host, &event, wait) > 0; wait = 0) {
    auto e = New<ENetEvent>();
    e->event = static_cast<int32_t>(event.type);
    e->peer = event.peer;
    e->channel = event.channelID;
    e->packet = event.packet;
    self._enetEvents->AddLast(e);
  }
}

// What waited for a peer to catch up goes out as far as ENet has room and
// the Sync's sends last, once every object holds what this Sync brought;
// the peers take turns, so that one far behind does not use up the rest.
void FlushPeers(TGNetHost& host) {
  if (host._peers == nullptr) return;
  for (bool sent = true; sent && host._sendsLeft > 0;) {
    sent = false;
    for (Ref<TGNetPeer> peer : host._peers->Each<TGNetPeer>()) sent |= FlushGNetPeer(*peer, host._sendsLeft, 64);
  }
}

Ref<TGNetPeer> FindPeer(const TGNetHost& host, void* enetPeer) {
  if (host._peers == nullptr) return {};
  for (Ref<TGNetPeer> peer : host._peers->Each<TGNetPeer>()) {
    if (peer->_enetPeer == enetPeer) return peer;
  }
  return {};
}

}  // namespace

Ref<TGNetHost> TGNetHost::Create() {
  auto host = New<TGNetHost>();
  host->_enetEvents = New<TList>();
  host->_peers = New<TList>();
  host->_objects = New<TList>();
  host->_created = New<TList>();
  host->_modified = New<TList>();
  host->_closed = New<TList>();
  host->_messages = New<TList>();
  host->_idMap = NewArray<Ref<TGNetObject>>({GNET_MAX_ID + 1});
  host->_sendsLeft = GNET_MAX_SENDS_PER_SYNC;
  return host;
}

TGNetHost::~TGNetHost() { Close(); }

void TGNetHost::UpdateENetEvents() { AppendENetEvents(*this, 0); }

void TGNetHost::Sync() {
  _created->Clear();
  _modified->Clear();
  _closed->Clear();
  _messages->Clear();
  _sendsLeft = GNET_MAX_SENDS_PER_SYNC;

  for (Ref<TLink> link = _objects->FirstLink(); link != nullptr;) {
    Ref<TLink> next = link->NextLink();
    auto object = DowncastObject<TGNetObject>(link->Value());
    if (Ref<TGNetMsg> msg = object->Sync()) BroadCast(msg, object->_peer);
    if (object->_state == GNET_DEAD) {
      if (object->_peer == nullptr) UnmapObject(object);
      link->Remove();
    }
    link = next;
  }

  const auto stop = std::chrono::steady_clock::now() + kMaxEventTimePerSync;
  for (int32_t handled = 0; handled < kMaxEventsPerSync; ++handled) {
    if (_enetEvents->IsEmpty()) AppendENetEvents(*this, 0, kEventsPerRead);
    if (_enetEvents->IsEmpty()) break;
    if (handled % 64 == 63 && std::chrono::steady_clock::now() > stop) break;
    auto event = DowncastObject<ENetEvent>(_enetEvents->RemoveFirst());
    Ref<TGNetPeer> peer = FindPeer(*this, event->peer);
    switch (event->event) {
      case ENET_EVENT_TYPE_CONNECT:
        if (peer == nullptr) AddPeer(event->peer);
        break;
      case ENET_EVENT_TYPE_DISCONNECT:
        if (peer == nullptr) break;
        peer->_enetPeer = nullptr;  // ENet has let it go already
        RemoveGNetPeer(*this, peer);
        break;
      case ENET_EVENT_TYPE_RECEIVE: {
        // A packet from a peer this host has let go is not looked at.
        if (peer == nullptr) break;
        const auto* packet = static_cast<const ENetPacket*>(event->packet);
        ReceiveGNetPacket(*this, peer, packet->data, packet->dataLength, event->channel);
        break;
      }
      default: break;  // nothing this host asked for
    }
  }
  FlushPeers(*this);
}

void TGNetHost::Close() {
  if (_peers != nullptr) {
    for (Ref<TGNetPeer> peer : _peers->Each<TGNetPeer>()) peer->Close();
    _peers = nullptr;
    if (_enetEvents != nullptr) _enetEvents->Clear();  // their peers and packets belong to the ENet host
    if (ENetHost* host = Enet(*this)) {
      enet_host_flush(host);
      enet_host_destroy(host);
      _enetHost = nullptr;
    }
  }
  // The objects refer back to the host; letting them go here ends that cycle.
  // A host made without Create has none of these lists.
  for (const auto& list : {_objects, _created, _modified, _closed, _messages}) {
    if (list != nullptr) list->Clear();
  }
  if (_idMap != nullptr) {
    for (auto& object : *_idMap) object = nullptr;
  }
}

void TGNetHost::BroadCast(const Ref<TGNetMsg>& msg, const Ref<TGNetPeer>& except) {
  if (_peers == nullptr) return;  // closed: nobody to tell
  // The object a creation or change is of, and its slots that changed, for
  // peers it has to wait for.
  TGNetObject* object = nullptr;
  uint32_t slots = 0;
  if ((msg->state == GNET_CREATED || msg->state == GNET_MODIFIED) && msg->id >= 1 && msg->id <= GNET_MAX_ID) {
    object = (*_idMap)[msg->id].Get();
    slots = GNetSlotsIn(msg->data->Data(), static_cast<size_t>(msg->data->Length()));
  }
  for (Ref<TGNetPeer> peer : _peers->Each<TGNetPeer>()) {
    if (peer != except) SendGNetMsgOf(*peer, msg, object, slots, &_sendsLeft);
  }
}

Ref<TGNetPeer> TGNetHost::AddPeer(void* enetPeer) {
  Ref<TGNetPeer> peer = TGNetPeer::Create(enetPeer);
  _peers->AddLast(peer);
  // Everything the other hosts already know of: own objects once announced
  // (closed ones too, since their closing follows), remote ones until closed.
  for (Ref<TGNetObject> object : _objects->Each<TGNetObject>()) {
    const int32_t state = object->_state;
    const bool known = object->_peer == nullptr
                           ? state == GNET_MODIFIED || state == GNET_SYNCHRONISED || state == GNET_CLOSED
                           : state >= GNET_CREATED && state <= GNET_SYNCHRONISED && state != GNET_CLOSED;
    if (known) peer->SendMsg(object->CreatedMsg());
  }
  return peer;
}

Ref<TList> TGNetHost::Objects() { return _objects; }
Ref<TList> TGNetHost::Peers() { return _peers; }
Ref<TList> TGNetHost::ObjectsCreated() { return _created; }
Ref<TList> TGNetHost::ObjectsModified() { return _modified; }
Ref<TList> TGNetHost::ObjectsClosed() { return _closed; }

Ref<TGNetObject> TGNetHost::CreateObject() {
  auto object = TGNetObject::Create(AllocId(), GNET_CREATED, Ref<TGNetHost>(this), nullptr);
  MapObject(object);
  _objects->AddLast(object);
  return object;
}

Ref<TGNetObject> TGNetHost::CreateMessage() {
  return TGNetObject::Create(0, GNET_MESSAGE, Ref<TGNetHost>(this), nullptr);
}

void TGNetHost::SendGNetMessage(const Ref<TGNetObject>& msg, const Ref<TGNetObject>& to) {
  if (to->_peer != nullptr) to->_peer->SendMsg(msg->MessageMsg(to->_id));
}

int32_t TGNetHost::AllocId() {
  for (int32_t id = 1; id <= GNET_MAX_ID; ++id) {
    if ((*_idMap)[id] == nullptr) return id;
  }
  RuntimeError("Out of GNet object IDs");
}

void TGNetHost::MapObject(const Ref<TGNetObject>& object) { (*_idMap)[object->_id] = object; }

void TGNetHost::UnmapObject(const Ref<TGNetObject>& object) {
  Ref<TGNetObject>& entry = (*_idMap)[object->_id];
  if (entry == object) entry = nullptr;
}

int32_t TGNetHost::Listen(int32_t port) {
  if (_enetHost != nullptr || _peers == nullptr) return 0;
  ENetAddress address{};
  address.host = ENET_HOST_ANY;
  address.port = static_cast<enet_uint16>(port);
  ENetHost* host = enet_host_create(&address, 32, 1, 0, 0);
  if (host == nullptr) return 0;
  Configure(host);
  _enetHost = host;
  return 1;
}

int32_t TGNetHost::Connect(int32_t ip, int32_t port, int32_t timeout) {
  if (_enetHost != nullptr || _peers == nullptr) return 0;
  ENetHost* host = enet_host_create(nullptr, 32, 1, 0, 0);
  if (host == nullptr) return 0;
  Configure(host);
  _enetHost = host;
  ENetAddress address{};
  address.host = ENET_HOST_TO_NET_32(static_cast<uint32_t>(ip));
  address.port = static_cast<enet_uint16>(port);
  if (ENetPeer* target = enet_host_connect(host, &address, 1, 0)) {
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] {
      return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    };
    bool refused = false;
    for (int64_t left = timeout; !refused && left > 0; left = timeout - elapsed()) {
      // Waiting inside the service call leaves the processor to others
      // until the answer, or the end of the slice, comes.
      AppendENetEvents(*this, static_cast<enet_uint32>(std::min(left, kConnectWaitSliceMs)));
      for (Ref<TLink> link = _enetEvents->FirstLink(); link != nullptr; link = link->NextLink()) {
        auto event = DowncastObject<ENetEvent>(link->Value());
        if (event->peer != target) continue;
        if (event->event == ENET_EVENT_TYPE_DISCONNECT) refused = true;
        if (event->event != ENET_EVENT_TYPE_CONNECT) continue;
        link->Remove();
        AddPeer(target);
        return 1;
      }
    }
  }
  _enetEvents->Clear();
  enet_host_destroy(host);
  _enetHost = nullptr;
  return 0;
}

int32_t GNetHostPort(const TGNetHost& host) {
  ENetHost* enet = Enet(host);
  if (enet == nullptr) return 0;
  ENetAddress address{};
  if (enet_socket_get_address(enet->socket, &address) < 0) return 0;
  return address.port;
}

}  // namespace vtl
