// HTTP streams: a reply with a status line, 100 header lines and a 1000-byte
// body from a server on 127.0.0.1, opened through "http::" and read to its
// end, beside the same request and reply moved with plain socket calls in
// the same run (connect, send, recv into one large buffer until the server
// closes). Compare the pair as a ratio.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "net/net.h"
#include "runtime/runtime.h"
#include "stream/stream.h"

namespace {

using namespace vtl;

constexpr int kHeaderLines = 100;
constexpr size_t kBodyBytes = 1000;

std::string Reply() {
  std::string reply = "HTTP/1.0 200 OK\r\n";
  for (int i = 0; i < kHeaderLines; ++i)
    reply += "X-Header-" + std::to_string(i) + ": a value of some thirty bytes\r\n";
  reply += "\r\n";
  reply += std::string(kBodyBytes, 'b');
  return reply;
}

// Answers every connection with Reply() in one send once the request's
// empty line has come, then closes it. Lives until the process ends.
class ReplyServer {
 public:
  ReplyServer() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 64) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      std::abort();
    port_ = ntohs(address.sin_port);
    std::thread([this] { Serve(); }).detach();
  }
  int Port() const { return port_; }

 private:
  void Serve() {
    const std::string reply = Reply();
    for (;;) {
      const int connection = accept(listener_, nullptr, nullptr);
      if (connection < 0) continue;
      std::string request;
      char buf[512];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = recv(connection, buf, sizeof buf, 0);
        if (n <= 0) break;
        request.append(buf, static_cast<size_t>(n));
      }
      for (size_t sent = 0; sent < reply.size();) {
        const ssize_t n = send(connection, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
      close(connection);
    }
  }

  int listener_ = -1;
  int port_ = 0;
};

const ReplyServer& Server() {
  static const ReplyServer* server = [] {
    InitNet();
    return new ReplyServer();
  }();
  return *server;
}

void HttpStreamReply100Headers(benchmark::State& state) {
  const String url = "http::127.0.0.1:" + StringFromInt(Server().Port()) + "/x";
  char body[kBodyBytes + 16];
  for (auto _ : state) {
    Ref<TStream> stream = OpenReadStream(url);
    if (!stream) {
      state.SkipWithError("the reply did not open");
      break;
    }
    size_t got = 0;
    while (!stream->Eof()) {
      const int32_t n = stream->Read(body, static_cast<int32_t>(sizeof body));
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    if (got != kBodyBytes) state.SkipWithError("the body did not arrive whole");
    stream->Close();
  }
}
BENCHMARK(HttpStreamReply100Headers)->Unit(benchmark::kMicrosecond);

void BaselineSocketSameReply(benchmark::State& state) {
  const std::string request = "GET /x HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(Server().Port()) + "\r\n\r\n";
  const size_t expected = Reply().size();
  static char reply[64 * 1024];
  for (auto _ : state) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(Server().Port()));
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        send(s, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
      state.SkipWithError("the request did not go");
      close(s);
      break;
    }
    size_t got = 0;
    for (ssize_t n; (n = recv(s, reply + got, sizeof reply - got, 0)) > 0;) got += static_cast<size_t>(n);
    if (got != expected) state.SkipWithError("the reply did not arrive whole");
    close(s);
  }
}
BENCHMARK(BaselineSocketSameReply)->Unit(benchmark::kMicrosecond);

}  // namespace
