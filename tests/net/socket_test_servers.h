// Loopback servers for the socket and HTTP tests. They use plain POSIX calls
// only, on threads of their own: the framework's objects are counted without
// locks and are never shared with these threads.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace vtl::test {

// Listens on 127.0.0.1 at a port the system picks. With a handler, a thread
// accepts connections one after another and hands each to it (the
// connection is closed when the handler returns); without one, nobody ever
// accepts, so a client connects through the backlog and is never answered.
// The destructor asks the thread to stop and waits for it; handlers should
// watch Stopping() in their loops.
class LoopbackServer {
 public:
  using Handler = std::function<void(int connection, const LoopbackServer& server)>;
  explicit LoopbackServer(Handler handler = nullptr, int backlog = 8);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int32_t Port() const { return port_; }
  bool Stopping() const { return stop_; }

 private:
  void AcceptLoop();

  Handler handler_;
  int listener_ = -1;
  int32_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Sends all the bytes; false when the peer has gone.
bool SendAll(int connection, const std::string& bytes);
// Reads until the text "\r\n\r\n" has arrived (an HTTP request's end), the
// peer closes, or two seconds pass; returns what arrived.
std::string ReadRequest(int connection);

// python3 -m http.server serving a folder on 127.0.0.1 at a port of its own
// choosing, read from its first line of output. Port() is 0 when it could
// not be started (no python3); the destructor ends it.
class PythonHttpServer {
 public:
  explicit PythonHttpServer(const std::string& folder);
  ~PythonHttpServer();
  PythonHttpServer(const PythonHttpServer&) = delete;
  PythonHttpServer& operator=(const PythonHttpServer&) = delete;

  int32_t Port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int32_t port_ = 0;
};

}  // namespace vtl::test
