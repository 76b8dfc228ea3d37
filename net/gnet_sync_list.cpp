#include "net/internal/gnet_sync_list.h"

#include <algorithm>

namespace vtl {

void GNetSyncList::List(TGNetHost& host, const Ref<TGNetObject>& object) {
  object->_link = host._objects->AddLast(object);
  object->_place = nextPlace_++;
  Due(*object);
}

void GNetSyncList::Unlist(TGNetHost& host, TGNetObject& object) {
  if (object._link != nullptr)
    object._link->Remove();
  else
    host._objects->Remove(Ref<TGNetObject>(&object));
  object._link = nullptr;
  object._place = 0;
}

void GNetSyncList::Due(TGNetObject& object) {
  if (object._syncDue || object._link == nullptr || object._state == GNET_SYNCHRONISED) return;
  object._syncDue = true;
  due_.emplace_back(&object);
}

std::vector<Ref<TGNetObject>> GNetSyncList::Take() {
  std::vector<Ref<TGNetObject>> due;
  due.swap(due_);
  std::sort(due.begin(), due.end(),
            [](const Ref<TGNetObject>& a, const Ref<TGNetObject>& b) { return a->_place < b->_place; });
  for (const auto& object : due) object->_syncDue = false;
  return due;
}

void GNetSyncList::Clear() {
  for (const auto& object : due_) object->_syncDue = false;
  due_.clear();
}

void GNetSyncDue(TGNetObject& object) {
  if (object._host != nullptr && object._host->_work != nullptr) object._host->_work->syncList.Due(object);
}

}  // namespace vtl
