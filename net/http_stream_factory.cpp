#include "net/http_stream_factory.h"

#include <string>
#include <utility>

#include "net/internal/host_port.h"
#include "net/internal/http_reply.h"
#include "net/internal/refusal.h"
#include "net/socket_stream.h"
#include "runtime/string_ops.h"

namespace vtl {

namespace {

// The code and words of an HTTP status line ("404 Not Found"); "" when the
// line is no HTTP status line or its code says success (2xx).
std::string ErrorStatus(const std::string& line) {
  const size_t space = line.find(' ');
  if (line.compare(0, 5, "HTTP/") != 0 || space == std::string::npos) return "";
  const std::string rest = line.substr(space + 1);
  if (rest.size() < 3 || rest[0] == '2') return "";
  for (int i = 0; i < 3; ++i)
    if (rest[i] < '0' || rest[i] > '9') return "";
  return rest;
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
  const std::string name = "http::" + path.ToUtf8();
  if (!PlainRequestText(host) || !PlainRequestText(file)) {
    Refuse("Cannot ask for " + name + ": a request line holds no spaces or control codes");
    return nullptr;
  }
  const HostPort to = SplitHostPort(host, 80);
  Ref<TSocketStream> stream = TSocketStream::CreateClient(to.host, to.port);
  if (!stream) return nullptr;  // the reason is the connect's
  // A failed write has recorded its reason.
  const bool asked =
      stream->WriteLine("GET " + file + " HTTP/1.0") && stream->WriteLine("Host: " + host) && stream->WriteLine("");
  // The head is read in blocks; body bytes that come with it are handed to
  // the body's reads by the reply stream.
  ReplyHead head = asked ? ReadReplyHead(*stream) : ReplyHead{};
  if (head.end != ReplyHeadEnd::Ended) {
    if (head.end == ReplyHeadEnd::TooLong)
      Refuse("HTTP reply for " + name + " has more than " + std::to_string(kMaxHTTPHeaderBytes) + " bytes of headers");
    else if (asked)
      Refuse("HTTP reply for " + name +
             (stream->Eof() ? " ended before its headers did" : " fell silent before the end of its headers"));
    stream->Close();
    return nullptr;
  }
  // The stream still gives the body, as the caller may want the server's
  // error page; whoever then refuses it can tell why.
  if (const std::string error = ErrorStatus(head.status); !error.empty())
    Refuse("HTTP server answered " + error + " for " + name);
  return THTTPReplyStream::Over(*stream, std::move(head.bodyAhead));
}

}  // namespace vtl
