#include "net/internal/host_port.h"

#include "runtime/string_ops.h"

namespace vtl {

HostPort SplitHostPort(const String& text, int32_t defaultPort) {
  const int32_t colon = FindString(text, ":");
  if (colon < 0) return {text, defaultPort};
  const int64_t port = StringToLong(SliceString(text, colon + 1, text.Length()));
  return {SliceString(text, 0, colon), port >= 1 && port <= 65535 ? static_cast<int32_t>(port) : -1};
}

}  // namespace vtl
