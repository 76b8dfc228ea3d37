/// \file
/// Free functions over networked objects and their hosts (net/gnet.h).
#pragma once

#include <cstdint>

#include "net/gnet.h"

namespace vtl {

/// A host that is neither listening nor connected.
Ref<TGNetHost> NewNetHost();
/// Disconnects every peer and ends the host's connection.
void CloseNetHost(const Ref<TGNetHost>& host);
/// Sends own changes, receives and relays the peers' (TGNetHost::Sync).
void SyncNetHost(const Ref<TGNetHost>& host);
/// Listens on port; 1 on success.
int32_t NetHostListen(const Ref<TGNetHost>& host, int32_t port);
/// Connects to the host named address (a name or a dotted IPv4 address) on
/// port within timeout milliseconds; 1 on success, 0 when the name does not
/// resolve or nobody answers (LastErrorText says which).
int32_t NetHostConnect(const Ref<TGNetHost>& host, const String& address, int32_t port, int32_t timeout);
/// which 0: every object, 1: created, 2: modified, 3: closed by the last
/// Sync. Any other value throws "Unknown object state".
Ref<TList> NetObjectsByState(const Ref<TGNetHost>& host, int32_t which);
/// The messages received by the last Sync.
Ref<TList> NetHostMessages(const Ref<TGNetHost>& host);
/// A new own object of host.
Ref<TGNetObject> NewNetObject(const Ref<TGNetHost>& host);
/// A new message to fill and send with SendNetMessage.
Ref<TGNetObject> NewNetMessage(const Ref<TGNetHost>& host);
/// Sends message to the remote object to; nothing for an own object.
void SendNetMessage(const Ref<TGNetObject>& message, const Ref<TGNetObject>& to);
/// The object a received message was sent to; Null when it is gone.
Ref<TGNetObject> NetMessageTarget(const Ref<TGNetObject>& message);
/// The object's state.
int32_t NetObjectState(const Ref<TGNetObject>& object);
/// 1 when this host owns the object, else 0.
int32_t IsLocalNetObject(const Ref<TGNetObject>& object);
/// 1 when the object came from a peer, else 0.
int32_t IsRemoteNetObject(const Ref<TGNetObject>& object);
/// Sets a slot of the object (0 to 31).
///@{
void SetNetInt(const Ref<TGNetObject>& object, int32_t index, int32_t value);
void SetNetFloat(const Ref<TGNetObject>& object, int32_t index, float value);
void SetNetString(const Ref<TGNetObject>& object, int32_t index, const String& value);
///@}
/// Reads a slot of the object (0 to 31).
///@{
int32_t GetNetInt(const Ref<TGNetObject>& object, int32_t index);
float GetNetFloat(const Ref<TGNetObject>& object, int32_t index);
String GetNetString(const Ref<TGNetObject>& object, int32_t index);
///@}
/// Attaches anything to the object, or reads it back.
///@{
void SetNetTarget(const Ref<TGNetObject>& object, const Ref<Object>& target);
Ref<Object> GetNetTarget(const Ref<TGNetObject>& object);
///@}
/// Closes the object (TGNetObject::Close).
void CloseNetObject(const Ref<TGNetObject>& object);

}  // namespace vtl
