#include "net/gnet.h"
#include "net/internal/gnet_sync_list.h"
#include "net/internal/gnet_wire.h"
#include "runtime/exceptions.h"

namespace vtl {

void TGNetSlot::SetInt(int32_t v) {
  _int = v;
  _type = GNetIntType(v);
}

void TGNetSlot::SetFloat(float f) {
  _float = f;
  _type = GNET_FLOAT;
}

void TGNetSlot::SetString(const String& s) {
  _string = s;
  _type = GNET_STRING;
}

int32_t TGNetSlot::GetInt() { return _int; }
float TGNetSlot::GetFloat() { return _float; }
String TGNetSlot::GetString() { return _string; }

Ref<TGNetObject> TGNetObject::Create(int32_t id, int32_t state, const Ref<TGNetHost>& host,
                                     const Ref<TGNetPeer>& peer) {
  auto object = New<TGNetObject>();
  object->_id = id;
  object->_state = state;
  object->_host = host;
  object->_peer = peer;
  object->_slots = NewArray<Ref<TGNetSlot>>({32});
  for (auto& slot : *object->_slots) slot = New<TGNetSlot>();
  return object;
}

int32_t TGNetObject::State() { return _state; }

void TGNetObject::Close() {
  switch (_state) {
    case GNET_CREATED: _state = GNET_DEAD; break;  // never announced: nobody needs to hear of it
    case GNET_CLOSED: break;
    case GNET_MODIFIED:
    case GNET_SYNCHRONISED: _state = GNET_CLOSED; break;
    default: RuntimeError("Illegal object state");
  }
  GNetSyncDue(*this);
}

Ref<TGNetSlot> TGNetObject::WriteSlot(int32_t index) {
  Ref<TGNetSlot> slot = (*_slots)[index];  // throws for an index outside 0 to 31
  _modified = static_cast<int32_t>(static_cast<uint32_t>(_modified) | (1u << index));
  if (_state == GNET_SYNCHRONISED) {
    _state = GNET_MODIFIED;
    GNetSyncDue(*this);
  }
  return slot;
}

// Each write is checked before anything changes: an object that no longer
// fits one message could not be announced to a host that joins.
void TGNetObject::SetInt(int32_t index, int32_t value) {
  GNetCheckWrite(*this, index, GNetRecordSize(GNetIntType(value), 0));
  WriteSlot(index)->SetInt(value);
}

void TGNetObject::SetFloat(int32_t index, float value) {
  GNetCheckWrite(*this, index, GNetRecordSize(GNET_FLOAT, 0));
  WriteSlot(index)->SetFloat(value);
}

void TGNetObject::SetString(int32_t index, const String& value) {
  GNetCheckWrite(*this, index, GNetRecordSize(GNET_STRING, value.Length()));
  WriteSlot(index)->SetString(value);
}

int32_t TGNetObject::GetInt(int32_t index) { return (*_slots)[index]->GetInt(); }
float TGNetObject::GetFloat(int32_t index) { return (*_slots)[index]->GetFloat(); }
String TGNetObject::GetString(int32_t index) { return (*_slots)[index]->GetString(); }

Ref<TGNetMsg> TGNetObject::Sync() {
  if (_state == GNET_SYNCHRONISED || _state == GNET_DEAD) return {};
  Ref<TGNetMsg> msg;
  if (_peer == nullptr) msg = NewGNetMsg(_id, _state, PackSlots(_modified));
  _modified = 0;
  if (_state == GNET_CREATED || _state == GNET_MODIFIED) {
    _state = GNET_SYNCHRONISED;
  } else if (_state == GNET_CLOSED) {
    _state = GNET_DEAD;
    _target = nullptr;
  }
  return msg;
}

void TGNetObject::Update(const Ref<TGNetMsg>& msg) {
  UnpackSlots(msg->data);
  _state = msg->state;
  GNetSyncDue(*this);
}

Ref<TGNetMsg> TGNetObject::CreatedMsg() { return NewGNetMsg(_id, GNET_CREATED, PackSlots(-1)); }
Ref<TGNetMsg> TGNetObject::ClosedMsg() { return NewGNetMsg(_id, GNET_CLOSED, nullptr); }
Ref<TGNetMsg> TGNetObject::MessageMsg(int32_t id) { return NewGNetMsg(id, GNET_MESSAGE, PackSlots(-1)); }

}  // namespace vtl
