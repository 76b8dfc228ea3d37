#include "net/tcp_stream_factory.h"

#include "net/internal/host_port.h"
#include "net/socket_stream.h"

namespace vtl {

Ref<TStream> TSocketStreamFactory::CreateStream(const Ref<Object>&, const String& protocol, const String& path, int32_t,
                                                int32_t) {
  if (!(protocol == "tcp")) return nullptr;
  const HostPort to = SplitHostPort(path, 80);
  return TSocketStream::CreateClient(to.host, to.port);
}

}  // namespace vtl
