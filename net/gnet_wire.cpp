// How messages are made and object ids handed out; the byte-level rules
// they share are inline in the header.
#include "net/internal/gnet_wire.h"

#include <cstring>

namespace vtl {

Ref<TGNetMsg> NewGNetMsg(int32_t id, int32_t state, Ref<Array<uint8_t>> records) {
  auto msg = New<TGNetMsg>();
  msg->id = id;
  msg->state = state;
  if (records != nullptr) msg->data = std::move(records);
  return msg;
}

Ref<Array<uint8_t>> GNetBytes(const uint8_t* data, size_t size) {
  auto bytes = NewArray<uint8_t>({static_cast<int32_t>(size)});
  if (size > 0) std::memcpy(bytes->Data(), data, size);
  return bytes;
}

int32_t GNetIdPool::Allocate() const {
  for (int32_t id = 1; id <= GNET_MAX_ID; ++id) {
    if (byId_[id] == nullptr) return id;
  }
  return 0;
}

void GNetIdPool::Take(const Ref<TGNetObject>& object) { byId_[object->_id] = object; }

void GNetIdPool::Free(const Ref<TGNetObject>& object) {
  Ref<TGNetObject>& entry = byId_[object->_id];
  if (entry == object) entry = nullptr;
}

}  // namespace vtl
