/// \file
/// The "http" protocol: "http::host/path" sends an HTTP/1.0 GET for the path
/// and gives a stream positioned at the first byte of the reply's body.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"
#include "stream/stream_factory.h"

namespace vtl {

/// Answers the "http" protocol. The path's text before its first "/" is the
/// host (the file is "/" when there is no "/"); a host written "name:port"
/// connects to that port, and is sent as written in the Host line; a plain
/// host uses port 80. The request is the lines "GET <file> HTTP/1.0",
/// "Host: <host>" and an empty line. An error status does not refuse the
/// reply: it gives its body, and LastErrorText says "HTTP server answered
/// 404 Not Found for http::host/path" (the loader that then refuses the body
/// leaves the reason to be read). The Null object when the host or file holds
/// anything but printable ASCII without spaces (nothing is sent then), when
/// the connection fails,
/// and when the status line and headers do not end with an empty line
/// within kMaxHTTPHeaderBytes bytes (the server stopped, closed, or sends
/// headers without end). Connecting and every read wait no longer than
/// SocketConnectTimeout and SocketReadTimeout. A Null result leaves its
/// reason in LastErrorText.
class THTTPStreamFactory : public TStreamFactory {
 public:
  Ref<TStream> CreateStream(const Ref<Object>& url, const String& protocol, const String& path, int32_t readable,
                            int32_t writeable) override;
};

/// The most bytes a reply's status line and headers may take, line ends
/// included.
constexpr int32_t kMaxHTTPHeaderBytes = 64 * 1024;

}  // namespace vtl
