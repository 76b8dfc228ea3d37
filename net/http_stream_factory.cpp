#include "net/http_stream_factory.h"

#include "net/internal/host_port.h"
#include "net/socket_stream.h"
#include "runtime/string_ops.h"

namespace vtl {

namespace {

// Reads the status line and the headers up to and including the empty line
// that ends them, one byte at a time so that no byte of the body is taken.
// Lines end at a line feed (or a zero byte, as ReadLine has it); carriage
// returns are dropped. False when the reply ends, a read brings nothing (the
// server is silent past the read time-out) or the limit is reached first.
bool SkipHeaders(TStream& stream) {
  int32_t lineLength = 0;
  for (int32_t total = 0; total < kMaxHTTPHeaderBytes; ++total) {
    uint8_t c = 0;
    if (stream.Read(&c, 1) != 1) return false;
    if (c == 10 || c == 0) {
      if (lineLength == 0) return true;
      lineLength = 0;
    } else if (c != 13) {
      ++lineLength;
    }
  }
  return false;
}

// True when the text can stand in a request line as it is: printable ASCII
// without spaces. A line feed, or a code whose low byte is one, would end the
// line early and let the name add request lines of its own.
bool PlainRequestText(const String& text) {
  for (int32_t i = 0; i < text.Length(); ++i)
    if (text[i] < 33 || text[i] > 126) return false;
  return true;
}

}  // namespace

Ref<TStream> THTTPStreamFactory::CreateStream(const Ref<Object>&, const String& protocol, const String& path, int32_t,
                                              int32_t) {
  if (!(protocol == "http")) return nullptr;
  const int32_t slash = FindString(path, "/");
  const String host = slash < 0 ? path : SliceString(path, 0, slash);
  const String file = slash < 0 ? String("/") : SliceString(path, slash, path.Length());
  if (!PlainRequestText(host) || !PlainRequestText(file)) return nullptr;
  const HostPort to = SplitHostPort(host, 80);
  Ref<TSocketStream> stream = TSocketStream::CreateClient(to.host, to.port);
  if (!stream) return nullptr;
  const bool asked =
      stream->WriteLine("GET " + file + " HTTP/1.0") && stream->WriteLine("Host: " + host) && stream->WriteLine("");
  if (!asked || !SkipHeaders(*stream)) {
    stream->Close();
    return nullptr;
  }
  return stream;
}

}  // namespace vtl
