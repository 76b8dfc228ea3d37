#include <enet/enet.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <string>
#include <typeinfo>

#include "net/gnet.h"
#include "net/internal/gnet_sync_list.h"
#include "net/internal/gnet_wire.h"
#include "net/internal/refusal.h"
#include "runtime/exceptions.h"
#include "runtime/list.h"

namespace vtl {

namespace {

using Clock = std::chrono::steady_clock;

// Events handled by one Sync at most, so that a peer sending without pause
// cannot keep Sync from returning; the rest wait for the next Sync.
constexpr int32_t kMaxEventsPerSync = 65536;

// A Sync stops handling events after this long, for the same reason: with
// many peers to relay to, 65536 events can take seconds.
constexpr auto kMaxEventTimePerSync = std::chrono::milliseconds(50);

// How long a Sync handles events before it reads from ENet again. Reading is
// when ENet takes in the peers' acknowledgements and sends its own, and ENet
// resends whatever stays unacknowledged for longer than about a round trip,
// checking that before it reads: a host that read only between long batches
// of work had every peer's data resent and resent its own to every peer, and
// the duplicates, which ENet finds by walking its lists, cost more than the
// work itself until peers timed out.
constexpr auto kReadInterval = std::chrono::milliseconds(1);
// The clock is looked at once per this many events.
constexpr int32_t kEventsPerClockRead = 16;
// Events one read takes from ENet at most, and messages handed to ENet for
// the peers before it at most: either in bulk would keep the next read, and
// the acknowledgements, waiting.
constexpr int32_t kEventsPerRead = 512;
constexpr int32_t kSendsPerRead = 512;

// Events read from ENet and not yet handled at most. Beyond that a host that
// cannot keep up leaves the data in the socket, unacknowledged, so that its
// peers wait (and merge their changes meanwhile) instead of piling up here.
constexpr int32_t kMaxWaitingEvents = 65536;

ENetHost* Enet(const TGNetHost& host) { return static_cast<ENetHost*>(host._enetHost); }

// Calls visit with every peer of the host's list until it answers true. The
// hot paths (every event looks up its peer, every change goes to every peer)
// walk the links as they are: a reference and a checked cast per peer cost
// more than the rest of relaying a change. visit must leave the list alone.
template <class Visit>
void ForEachPeer(const TGNetHost& host, Visit visit) {
  if (host._peers == nullptr) return;
  TLink* end = host._peers->_head.Get();
  for (TLink* link = end->_succ.Get(); link != end; link = link->_succ.Get()) {
    Object* value = link->_value.Get();
    if (value == nullptr) continue;
    auto* peer = typeid(*value) == typeid(TGNetPeer) ? static_cast<TGNetPeer*>(value) : dynamic_cast<TGNetPeer*>(value);
    if (peer != nullptr && visit(*peer)) return;
  }
}

// Bounds what one peer can make this host hold: no correct host sends more.
// And every peer may have a window of data in flight to this host at once: a
// socket buffer that holds all of it loses nothing while the host is busy
// elsewhere, where lost datagrams would make ENet wait ever longer before
// sending them again, until it gave up on the peer. (The system may grant
// less.)
void Configure(ENetHost* host) {
  host->maximumPacketSize = GNET_MAX_DATA + GNET_HEADER_BYTES;
  enet_socket_set_option(host->socket, ENET_SOCKOPT_RCVBUF,
                         static_cast<int>(host->peerCount * ENET_PROTOCOL_MAXIMUM_WINDOW_SIZE));
}

// The longest single wait of Connect inside ENet's service call: ENet resends
// the connection request and notices its own time-out only between waits.
constexpr int64_t kConnectWaitSliceMs = 50;

// Appends pending ENet events to the host's list, waiting up to firstWait
// milliseconds for the first one; with enough, the next service call (which
// reads more from the socket) is left for later. The number appended.
int32_t AppendENetEvents(TGNetHost& self, enet_uint32 firstWait, int32_t enough = INT32_MAX) {
  ENetHost* host = Enet(self);
  if (host == nullptr) return 0;
  ::ENetEvent event;
  int32_t appended = 0;
  for (enet_uint32 wait = firstWait; appended < enough && enet_host_service(host, &event, wait) > 0; wait = 0) {
    auto e = New<ENetEvent>();
    e->event = static_cast<int32_t>(event.type);
    e->peer = event.peer;
    e->channel = event.channelID;
    e->packet = event.packet;
    self._enetEvents->AddLast(e);
    ++appended;
  }
  return appended;
}

// What waited for a peer to catch up goes out as far as ENet has room and
// the Sync's sends last, once every object holds what this Sync brought;
// the peers take turns, so that one far behind does not use up the rest.
void FlushPeers(TGNetHost& host, int32_t most) {
  if (host._peers == nullptr) return;
  int32_t sendsLeft = std::min(host._sendsLeft, most);
  for (bool sent = true; sent && sendsLeft > 0;) {
    sent = false;
    ForEachPeer(host, [&](TGNetPeer& peer) {
      sent |= FlushGNetPeer(peer, sendsLeft, 64);
      return false;
    });
  }
  host._sendsLeft -= std::min(host._sendsLeft, most) - sendsLeft;
}

Ref<TGNetPeer> FindPeer(const TGNetHost& host, void* enetPeer) {
  Ref<TGNetPeer> found;
  ForEachPeer(host, [&](TGNetPeer& peer) {
    if (peer._enetPeer != enetPeer) return false;
    found = Ref<TGNetPeer>(&peer);
    return true;
  });
  return found;
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
  host->_work = new GNetHostWork;
  return host;
}

TGNetHost::~TGNetHost() {
  Close();
  delete _work;
}

void TGNetHost::UpdateENetEvents() { AppendENetEvents(*this, 0); }

namespace {
// Reads from ENet during a Sync, often enough that acknowledgements never
// wait behind the Sync's work, and hands ENet what waited for the peers
// first, so that it goes out in the same call.
class Reader {
 public:
  explicit Reader(TGNetHost& host) : host_(host), waiting_(host._enetEvents->Count()) {}

  // Reads when kReadInterval has passed since the last read, or when
  // nothing is left to handle; false when it is time to stop handling.
  bool ReadIfDue(int32_t handled, Clock::time_point stop) {
    if (handled % kEventsPerClockRead == 0 || waiting_ == 0) {
      const auto now = Clock::now();
      if (handled > 0 && now > stop) return false;
      if (waiting_ == 0 || now - lastRead_ >= kReadInterval) Read(now);
    }
    return waiting_ > 0;
  }

  // One event is taken for handling.
  void Took() { --waiting_; }

  // The last read of the Sync: what the peers are owed goes out, and what
  // they sent meanwhile is acknowledged (and handled by the next Sync).
  void Finish() { Read(Clock::now()); }

 private:
  void Read(Clock::time_point now) {
    host_._work->longestReadGap = std::max(host_._work->longestReadGap, now - lastRead_);
    ++host_._work->readsInLastSync;
    FlushPeers(host_, kSendsPerRead);
    waiting_ += AppendENetEvents(host_, 0, std::min(kEventsPerRead, kMaxWaitingEvents - waiting_));
    lastRead_ = Clock::now();
  }

  TGNetHost& host_;
  int32_t waiting_;
  Clock::time_point lastRead_ = Clock::now();
};

}  // namespace

void TGNetHost::Sync() {
  _created->Clear();
  _modified->Clear();
  _closed->Clear();
  _messages->Clear();
  _sendsLeft = GNET_MAX_SENDS_PER_SYNC;

  // Only objects that left the synchronised state have anything to do.
  for (const Ref<TGNetObject>& object : _work->syncList.Take()) {
    if (object->_link == nullptr) continue;  // no longer listed
    if (Ref<TGNetMsg> msg = object->Sync()) BroadCast(msg, object->_peer);
    if (object->_state == GNET_DEAD) {
      if (object->_peer == nullptr) UnmapObject(object);
      GNetSyncList::Unlist(*this, *object);
    }
  }

  _work->longestReadGap = {};
  _work->readsInLastSync = 0;
  Reader reader(*this);
  const auto stop = Clock::now() + kMaxEventTimePerSync;
  for (int32_t handled = 0; handled < kMaxEventsPerSync && reader.ReadIfDue(handled, stop); ++handled) {
    reader.Took();
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
  reader.Finish();
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
  if (_objects != nullptr) {
    for (Ref<TGNetObject> object : _objects->Each<TGNetObject>()) {
      object->_link = nullptr;
      object->_place = 0;
    }
  }
  if (_work != nullptr) _work->syncList.Clear();
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
  ForEachPeer(*this, [&](TGNetPeer& peer) {
    if (&peer != except.Get()) SendGNetMsgOf(peer, msg, object, slots, &_sendsLeft);
    return false;
  });
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
    if (known) GNetAnnounce(*peer, object);
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
  _work->syncList.List(*this, object);
  return object;
}

Ref<TGNetObject> TGNetHost::CreateMessage() {
  return TGNetObject::Create(0, GNET_MESSAGE, Ref<TGNetHost>(this), nullptr);
}

void TGNetHost::SendGNetMessage(const Ref<TGNetObject>& msg, const Ref<TGNetObject>& to) {
  if (to->_peer != nullptr) to->_peer->SendMsg(msg->MessageMsg(to->_id));
}

int32_t TGNetHost::AllocId() {
  const int32_t id = GNetIdPool(*_idMap).Allocate();
  if (id == 0) RuntimeError("Out of GNet object IDs");
  return id;
}

void TGNetHost::MapObject(const Ref<TGNetObject>& object) { GNetIdPool(*_idMap).Take(object); }
void TGNetHost::UnmapObject(const Ref<TGNetObject>& object) { GNetIdPool(*_idMap).Free(object); }

namespace {

// Why a host cannot start listening or connecting; "" when it can.
const char* WhyNotStart(const TGNetHost& host) {
  if (host._peers == nullptr) return "the host is closed";
  if (host._enetHost != nullptr) return "the host is already listening or connected";
  return "";
}

// An ENet host for 32 peers, bound to address when it is not null; records
// what, with the system's reason, when ENet cannot make it.
ENetHost* NewENetHost(const ENetAddress* address, const std::string& what) {
  errno = 0;
  ENetHost* host = enet_host_create(address, 32, 1, 0, 0);
  if (host == nullptr) {
    const int error = errno;
    if (error != 0)
      Refuse(what, error);
    else
      Refuse(what + ": ENet could not make a host");
    return nullptr;
  }
  Configure(host);
  return host;
}

}  // namespace

int32_t TGNetHost::Listen(int32_t port) {
  const std::string what = "GNet cannot listen on port " + std::to_string(port);
  if (const std::string why = WhyNotStart(*this); !why.empty()) return Refuse(what + ": " + why), 0;
  ENetAddress address{};
  address.host = ENET_HOST_ANY;
  address.port = static_cast<enet_uint16>(port);
  ENetHost* host = NewENetHost(&address, what);
  if (host == nullptr) return 0;
  _enetHost = host;
  return 1;
}

int32_t TGNetHost::Connect(int32_t ip, int32_t port, int32_t timeout) {
  const std::string what = "GNet cannot connect to " + AddressText(ip, port);
  if (const std::string why = WhyNotStart(*this); !why.empty()) return Refuse(what + ": " + why), 0;
  ENetHost* host = NewENetHost(nullptr, what);
  if (host == nullptr) return 0;
  _enetHost = host;
  ENetAddress address{};
  address.host = ENET_HOST_TO_NET_32(static_cast<uint32_t>(ip));
  address.port = static_cast<enet_uint16>(port);
  std::string why = "ENet has no peer free";
  if (ENetPeer* target = enet_host_connect(host, &address, 1, 0)) {
    why = "no answer within " + std::to_string(timeout) + " ms";
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
        if (event->event == ENET_EVENT_TYPE_DISCONNECT) {
          refused = true;
          why = "the host refused the connection";
        }
        if (event->event != ENET_EVENT_TYPE_CONNECT) continue;
        link->Remove();
        AddPeer(target);
        return 1;
      }
    }
  }
  Refuse(what + ": " + why);
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
