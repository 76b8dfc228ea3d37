/// \file
/// The "tcp" protocol: "tcp::host:port" opens a TCP stream to the port of the
/// host, "tcp::host" to its port 80.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"
#include "stream/stream_factory.h"

namespace vtl {

/// Answers the "tcp" protocol with TSocketStream::CreateClient. The port is
/// the number after the first ":" of the path (80 when there is none); the
/// Null object when it is no port from 1 to 65535 or the connection fails.
class TSocketStreamFactory : public TStreamFactory {
 public:
  Ref<TStream> CreateStream(const Ref<Object>& url, const String& protocol, const String& path, int32_t readable,
                            int32_t writeable) override;
};

}  // namespace vtl
