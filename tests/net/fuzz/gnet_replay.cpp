#include "fuzz/gnet_replay.h"

#include <cstdlib>

#include "net/internal/gnet_wire.h"
#include "net/net.h"

namespace vtl::test {

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

void ReplayGNetPackets(const uint8_t* data, size_t size) {
  InitNet();
  auto host = TGNetHost::Create();
  auto own = host->CreateObject();
  own->SetInt(0, 1234567);
  own->SetString(1, "own");
  auto closing = host->CreateObject();
  host->Sync();
  closing->Close();

  // A peer the packets come from, and a bystander that relays go to.
  auto bystander = TGNetPeer::Create(nullptr);
  host->_peers->AddLast(bystander);
  auto sender = TGNetPeer::Create(nullptr);
  host->_peers->AddLast(sender);

  size_t at = 0;
  while (at + 2 <= size) {
    size_t length = (static_cast<size_t>(data[at]) << 8) | data[at + 1];
    at += 2;
    if (length > size - at) length = size - at;
    if (!host->_peers->Contains(sender)) {  // disconnected: the next packets come from a newcomer
      sender = TGNetPeer::Create(nullptr);
      host->_peers->AddLast(sender);
    }
    ReceiveGNetPacket(*host, sender, data + at, length, 0);
    at += length;
    host->Sync();
  }

  Check(own->_state == GNET_SYNCHRONISED && own->GetInt(0) == 1234567 && own->GetString(1) == "own");
  Check((*host->_idMap)[own->_id] == own);
  Check(host->_peers->Contains(bystander));
  for (Ref<TGNetObject> object : host->_objects->Each<TGNetObject>()) {
    Check(object->_id >= 1 && object->_id <= GNET_MAX_ID);
    Check(object->_peer == nullptr || object->_state != GNET_DEAD);
  }
  host->AddPeer(nullptr);  // packs every live object: none may be too large
  host->Close();
}

}  // namespace vtl::test
