/// \file
/// Networked objects: a host keeps objects of 32 typed slots and replicates
/// them to every connected host. One host listens and the others connect to
/// it, forming a star; the listener relays what it receives, so every host
/// sees every object. Objects can also carry one-off messages addressed to a
/// remote object.
///
///     auto host = vtl::NewNetHost();
///     vtl::NetHostListen(host, 4000);
///     auto ball = vtl::NewNetObject(host);
///     vtl::SetNetFloat(ball, 0, 12.5f);
///     vtl::SyncNetHost(host);  // once a frame
///
/// Everything a peer sends is untrusted: a malformed or impossible message is
/// dropped, and a peer whose message no correct host could have sent is
/// disconnected (net/README.md lists the cases).
#pragma once

#include <cstdint>

#include "runtime/array.h"
#include "runtime/list.h"
#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

class TGNetHost;
class TGNetPeer;
class GNetOutbox;
struct GNetHostWork;

/// \name Object states
///@{
constexpr int32_t GNET_CREATED = 1;       ///< New, not yet announced.
constexpr int32_t GNET_MODIFIED = 2;      ///< Announced, with slots changed since the last Sync.
constexpr int32_t GNET_CLOSED = 3;        ///< To be announced as closed at the next Sync.
constexpr int32_t GNET_SYNCHRONISED = 4;  ///< Nothing to send.
constexpr int32_t GNET_MESSAGE = 5;       ///< A message object, not a replicated object.
constexpr int32_t GNET_DEAD = -1;         ///< Gone; removed from its host at the next Sync.
///@}

/// \name Slot types (also the 3-bit type of a slot record on the wire)
///@{
constexpr int32_t GNET_UNSET = 0;   ///< Never sent.
constexpr int32_t GNET_INT = 1;     ///< 32-bit int, 4 bytes big-endian.
constexpr int32_t GNET_HALF = 2;    ///< Half-precision float, 2 bytes; accepted, never produced.
constexpr int32_t GNET_STRING = 3;  ///< 2-byte length, then the low byte of each character.
constexpr int32_t GNET_BYTE = 4;    ///< Int 0 to 255, 1 byte.
constexpr int32_t GNET_SHORT = 5;   ///< Int 256 to 65535, 2 bytes big-endian.
constexpr int32_t GNET_FLOAT = 6;   ///< 32-bit float, its bit pattern big-endian.
///@}

/// The largest slot data one message carries, in bytes.
constexpr int32_t GNET_MAX_DATA = 65520;

/// One typed value of a networked object.
class TGNetSlot : public Object {
 public:
  /// Stores v; the type becomes the narrowest that carries it: 4 below 256,
  /// 5 up to 65535, else 1 (negative values included).
  virtual void SetInt(int32_t v);
  /// Stores f; type 6.
  virtual void SetFloat(float f);
  /// Stores s; type 3. Only the low 8 bits of each character travel.
  virtual void SetString(const String& s);
  /// The stored field of that kind, whatever the type.
  ///@{
  virtual int32_t GetInt();
  virtual float GetFloat();
  virtual String GetString();
  ///@}

  int32_t _type = GNET_UNSET;  ///< One of the slot types.
  int32_t _int = 0;            ///< The int value.
  float _float = 0.0f;         ///< The float value.
  String _string;              ///< The string value.
};

/// The unit that crosses the wire: one object's id, a state and slot records.
class TGNetMsg : public Object {
 public:
  int32_t id = 0;                                     ///< Object id, in the sender's or receiver's numbering.
  int32_t state = 0;                                  ///< One of the object states.
  Ref<Array<uint8_t>> data = NewArray<uint8_t>({0});  ///< Slot records.
};

/// An object of 32 typed slots, replicated by its host. Own objects (no
/// peer) send their changes at each Sync; remote objects mirror another
/// host's object.
class TGNetObject : public Object {
 public:
  /// The state (GNET_CREATED ... GNET_DEAD).
  virtual int32_t State();
  /// Closes the object: an object never announced dies at once, an announced
  /// one is announced as closed at the next Sync. Throws "Illegal object
  /// state" for a dead object or a message.
  virtual void Close();
  /// Marks slot index as changed, then sets it. An index outside 0 to 31
  /// throws TArrayBoundsException. A value that would leave the object with
  /// more than GNET_MAX_DATA bytes of slot records (so that no message could
  /// announce it to a host that joins) throws "GNet message data too large";
  /// either way the object is then unchanged.
  ///@{
  virtual void SetInt(int32_t index, int32_t value);
  virtual void SetFloat(int32_t index, float value);
  virtual void SetString(int32_t index, const String& value);
  ///@}
  /// Slot index's value; changes nothing.
  ///@{
  virtual int32_t GetInt(int32_t index);
  virtual float GetFloat(int32_t index);
  virtual String GetString(int32_t index);
  ///@}
  /// Marks slot index as changed (an announced object becomes modified) and
  /// returns it.
  virtual Ref<TGNetSlot> WriteSlot(int32_t index);
  /// What the next Sync sends for this object (the Null object for nothing
  /// or for a remote object), moving the state on: created and modified
  /// become synchronised, closed becomes dead and lets the target go.
  virtual Ref<TGNetMsg> Sync();
  /// Takes the message's slot records, then its state.
  virtual void Update(const Ref<TGNetMsg>& msg);
  /// The object's id, state created, every slot.
  virtual Ref<TGNetMsg> CreatedMsg();
  /// The object's id, state closed, no slots.
  virtual Ref<TGNetMsg> ClosedMsg();
  /// The given id, state message, every slot.
  virtual Ref<TGNetMsg> MessageMsg(int32_t id);
  /// Slot records of the slots whose bit is set in mask, in slot order.
  /// Throws "GNet message data too large" above GNET_MAX_DATA bytes and
  /// "Invalid GNet data type" for a slot type outside 0 to 6.
  virtual Ref<Array<uint8_t>> PackSlots(int32_t mask);
  /// Stores every slot record through the slots' setters, marking each slot
  /// as changed. Throws "Invalid GNet data type" for a record of type 0 or 7,
  /// "Corrupt GNet message" for data that end inside a record and "GNet
  /// message data too large" when the object would end up larger than one
  /// message carries; the object is then unchanged.
  virtual void UnpackSlots(const Ref<Array<uint8_t>>& bytes);

  /// A new object with 32 unset slots.
  static Ref<TGNetObject> Create(int32_t id, int32_t state, const Ref<TGNetHost>& host, const Ref<TGNetPeer>& peer);

  int32_t _id = 0;                    ///< 1 to 4095 for replicated objects, in this host's numbering.
  int32_t _state = 0;                 ///< One of the object states.
  Ref<TGNetHost> _host;               ///< The host holding the object.
  Ref<TGNetPeer> _peer;               ///< Null for own objects; the peer a remote object came from.
  Ref<Object> _target;                ///< Anything the application attaches.
  Ref<Array<Ref<TGNetSlot>>> _slots;  ///< The 32 slots.
  int32_t _modified = 0;              ///< Bit i: slot i changed since the last Sync.
  /// The object's link in its host's object list; Null while not listed.
  Ref<TLink> _link;
  /// Its place in the host's object list: objects listed later have higher
  /// places.
  uint64_t _place = 0;
  /// Whether the host's next Sync visits it (it has something to send or
  /// its state to move on).
  bool _syncDue = false;
};

/// A connected host as seen from this one, with the translation between its
/// object ids and this host's.
class TGNetPeer : public Object {
 public:
  /// Asks the connection to end (queued and flushed, not waited for) and
  /// forgets it.
  virtual void Close();
  /// Records that the peer calls local object local by remote.
  virtual void MapLocalId(int32_t local, int32_t remote);
  /// Forgets local's translation both ways.
  virtual void UnmapLocalId(int32_t local);
  /// Sends a message reliably on channel 0; messages to an object are
  /// addressed in the peer's numbering. A closed or disconnecting peer gets
  /// nothing; any other failure throws "ENet errror". While the peer is
  /// behind (ENet holds about two windows of data for it), messages wait in
  /// the host and go out at the next Sync, in order; changes of one object
  /// that wait together go out as one message with the latest value of each
  /// slot.
  virtual void SendMsg(const Ref<TGNetMsg>& msg);

  /// A peer over an ENet peer (an ENetPeer*; nullptr for none).
  static Ref<TGNetPeer> Create(void* enetPeer);
  /// Lets go of the messages still waiting for the peer.
  ~TGNetPeer() override;

  void* _enetPeer = nullptr;           ///< The ENetPeer*, nullptr once closed.
  Ref<Array<int32_t>> _localToRemote;  ///< The peer's id for each local id, 0 for none.
  Ref<Array<int32_t>> _remoteToLocal;  ///< The local id for each of the peer's ids, 0 for none.
  /// 1 for each of the peer's ids whose "created" message found no free local
  /// id: its later changes are dropped quietly.
  Ref<Array<uint8_t>> _unplaced;
  /// Messages waiting for the peer to catch up; nullptr until the first is sent.
  GNetOutbox* _outbox = nullptr;
};

/// One event of the ENet service call. It owns its packet until someone
/// takes it.
class ENetEvent : public Object {
 public:
  /// Destroys the packet still held.
  ~ENetEvent() override;

  int32_t event = 0;       ///< 1 connect, 2 disconnect, 3 receive.
  void* peer = nullptr;    ///< The ENetPeer*.
  int32_t channel = 0;     ///< The channel of a received packet.
  void* packet = nullptr;  ///< The received ENetPacket*, or nullptr.
};

/// A host of networked objects: its own objects and those of every other
/// host in the star, and the connections to its peers.
class TGNetHost : public Object {
 public:
  /// Closes the host.
  ~TGNetHost() override;

  /// Appends every pending ENet event to _enetEvents, without waiting.
  virtual void UpdateENetEvents();
  /// Sends the changes of own objects, then receives and relays what the
  /// peers sent (at most 65536 events, for at most 50 ms; the rest wait for
  /// the next Sync), then hands ENet what waited for peers that fell behind.
  /// Afterwards _created, _modified, _closed and _messages tell what arrived.
  virtual void Sync();
  /// Disconnects every peer and ends the connection; the host lets its
  /// objects go (objects made afterwards stay with the host, unconnected,
  /// until it is closed again).
  virtual void Close();
  /// Sends msg to every peer but except.
  virtual void BroadCast(const Ref<TGNetMsg>& msg, const Ref<TGNetPeer>& except);
  /// Adds a peer over an ENet peer and sends it every live object.
  virtual Ref<TGNetPeer> AddPeer(void* enetPeer);
  /// The live objects, own and remote.
  virtual Ref<TList> Objects();
  /// The connected peers.
  virtual Ref<TList> Peers();
  /// Remote objects created, modified and closed by the last Sync.
  ///@{
  virtual Ref<TList> ObjectsCreated();
  virtual Ref<TList> ObjectsModified();
  virtual Ref<TList> ObjectsClosed();
  ///@}
  /// A new own object.
  virtual Ref<TGNetObject> CreateObject();
  /// A new message to fill and send with SendGNetMessage.
  virtual Ref<TGNetObject> CreateMessage();
  /// Sends msg to remote object to; a message to an own object is not sent.
  virtual void SendGNetMessage(const Ref<TGNetObject>& msg, const Ref<TGNetObject>& to);
  /// The lowest free id; throws "Out of GNet object IDs" when all 4095 are taken.
  virtual int32_t AllocId();
  /// Enters or removes the object under its id.
  ///@{
  virtual void MapObject(const Ref<TGNetObject>& object);
  virtual void UnmapObject(const Ref<TGNetObject>& object);
  ///@}
  /// Listens on port of every local address; 1 on success, 0 when the host
  /// is already connected or the port cannot be had, with the reason in
  /// LastErrorText ("GNet cannot listen on port 4000: Address already in
  /// use").
  virtual int32_t Listen(int32_t port);
  /// Connects to ip (first number in the top byte) and port within timeout
  /// milliseconds; 1 on success, 0 otherwise, with the reason in
  /// LastErrorText ("GNet cannot connect to 127.0.0.1:4000: no answer within
  /// 500 ms"). It sleeps while it waits for
  /// the answer, so it returns as soon as the answer comes and uses next to
  /// no processor time meanwhile.
  virtual int32_t Connect(int32_t ip, int32_t port, int32_t timeout);

  /// A host that is neither listening nor connected.
  static Ref<TGNetHost> Create();

  void* _enetHost = nullptr;            ///< The ENetHost*, nullptr until listening or connected.
  Ref<TList> _enetEvents;               ///< ENetEvents not yet handled.
  Ref<TList> _peers;                    ///< TGNetPeers; Null once closed.
  Ref<TList> _objects;                  ///< Every live object.
  Ref<TList> _created;                  ///< Remote objects created by the last Sync.
  Ref<TList> _modified;                 ///< Remote objects modified by the last Sync.
  Ref<TList> _closed;                   ///< Remote objects closed by the last Sync.
  Ref<TList> _messages;                 ///< Messages received by the last Sync.
  Ref<Array<Ref<TGNetObject>>> _idMap;  ///< Objects by local id; Null where free.
  /// Messages BroadCast may still hand ENet before the next Sync; the rest
  /// wait for the peers, merged where they can be (see TGNetPeer::SendMsg).
  int32_t _sendsLeft = 0;
  /// What Sync keeps between calls: the listed objects the next Sync visits
  /// (those whose state is not synchronised, kept by slot writes and state
  /// changes through the objects' operations). nullptr for a host made
  /// without Create.
  GNetHostWork* _work = nullptr;
};

}  // namespace vtl
