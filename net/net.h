/// \file
/// Networking: sockets, socket and HTTP streams, and objects replicated between hosts.
#pragma once

// Sockets, socket streams and the "tcp" and "http" protocols.
#include "net/host_names.h"
#include "net/http_stream_factory.h"
#include "net/socket.h"
#include "net/socket_functions.h"
#include "net/socket_stream.h"
#include "net/tcp_stream_factory.h"

// Objects replicated between hosts.
#include "net/gnet.h"
#include "net/gnet_functions.h"

namespace vtl {

/// Initialises the modules this library builds on, registers its classes and
/// creates the "tcp" and "http" stream factories. Runs once.
void InitNet();

}  // namespace vtl
