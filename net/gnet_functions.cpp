#include "net/gnet_functions.h"

#include "net/host_names.h"
#include "runtime/exceptions.h"
#include "runtime/list.h"

namespace vtl {

Ref<TGNetHost> NewNetHost() { return TGNetHost::Create(); }
void CloseNetHost(const Ref<TGNetHost>& host) { host->Close(); }
void SyncNetHost(const Ref<TGNetHost>& host) { host->Sync(); }
int32_t NetHostListen(const Ref<TGNetHost>& host, int32_t port) { return host->Listen(port); }

int32_t NetHostConnect(const Ref<TGNetHost>& host, const String& address, int32_t port, int32_t timeout) {
  const int32_t ip = HostIp(address, 0);
  if (ip == 0) return 0;
  return host->Connect(ip, port, timeout);
}

Ref<TList> NetObjectsByState(const Ref<TGNetHost>& host, int32_t which) {
  switch (which) {
    case 0: return host->Objects();
    case 1: return host->ObjectsCreated();
    case 2: return host->ObjectsModified();
    case 3: return host->ObjectsClosed();
    default: RuntimeError("Unknown object state");
  }
}

Ref<TList> NetHostMessages(const Ref<TGNetHost>& host) { return host->_messages; }
Ref<TGNetObject> NewNetObject(const Ref<TGNetHost>& host) { return host->CreateObject(); }
Ref<TGNetObject> NewNetMessage(const Ref<TGNetHost>& host) { return host->CreateMessage(); }

void SendNetMessage(const Ref<TGNetObject>& message, const Ref<TGNetObject>& to) {
  message->_host->SendGNetMessage(message, to);
}

Ref<TGNetObject> NetMessageTarget(const Ref<TGNetObject>& message) { return (*message->_host->_idMap)[message->_id]; }

int32_t NetObjectState(const Ref<TGNetObject>& object) { return object->State(); }
int32_t IsLocalNetObject(const Ref<TGNetObject>& object) { return object->_peer == nullptr ? 1 : 0; }
int32_t IsRemoteNetObject(const Ref<TGNetObject>& object) { return object->_peer == nullptr ? 0 : 1; }

void SetNetInt(const Ref<TGNetObject>& object, int32_t index, int32_t value) { object->SetInt(index, value); }
void SetNetFloat(const Ref<TGNetObject>& object, int32_t index, float value) { object->SetFloat(index, value); }
void SetNetString(const Ref<TGNetObject>& object, int32_t index, const String& value) {
  object->SetString(index, value);
}
int32_t GetNetInt(const Ref<TGNetObject>& object, int32_t index) { return object->GetInt(index); }
float GetNetFloat(const Ref<TGNetObject>& object, int32_t index) { return object->GetFloat(index); }
String GetNetString(const Ref<TGNetObject>& object, int32_t index) { return object->GetString(index); }

void SetNetTarget(const Ref<TGNetObject>& object, const Ref<Object>& target) { object->_target = target; }
Ref<Object> GetNetTarget(const Ref<TGNetObject>& object) { return object->_target; }
void CloseNetObject(const Ref<TGNetObject>& object) { object->Close(); }

}  // namespace vtl
