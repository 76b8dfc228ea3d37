#include <enet/enet.h>

#include "net/gnet.h"
#include "runtime/class_record.h"
#include "runtime/exceptions.h"
#include "runtime/program.h"

namespace vtl {

/// Starts ENet (stopped at exit) and registers the networked object classes.
void InitGNet() {
  if (enet_initialize() != 0) RuntimeError("GNet error");
  AtExit([] { enet_deinitialize(); });
  ClassBuilder<TGNetSlot, Object>("TGNetSlot").Register();
  ClassBuilder<TGNetMsg, Object>("TGNetMsg").Register();
  ClassBuilder<TGNetObject, Object>("TGNetObject").Register();
  ClassBuilder<TGNetPeer, Object>("TGNetPeer").Register();
  ClassBuilder<ENetEvent, Object>("ENetEvent").Register();
  ClassBuilder<TGNetHost, Object>("TGNetHost").Register();
}

}  // namespace vtl
