// Splitting "host:port" for the "tcp" and "http" protocols.
#pragma once

#include <cstdint>

#include "runtime/string.h"

namespace vtl {

struct HostPort {
  String host;
  int32_t port;
};

// The text before the first ":" and the number after it; the whole text and
// defaultPort when there is no ":". A number that is no port (0, negative,
// past 65535, or past what an int holds) gives -1, which no connect accepts,
// so it cannot wrap round to a port nobody asked for.
HostPort SplitHostPort(const String& text, int32_t defaultPort);

}  // namespace vtl
