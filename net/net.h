/// \file
/// Networking: sockets, socket and HTTP streams, and objects replicated between hosts.
#pragma once

#include "net/gnet.h"
#include "net/gnet_functions.h"

namespace vtl {

/// Initialises the modules this library builds on and registers its classes.
/// Runs once.
void InitNet();

}  // namespace vtl
