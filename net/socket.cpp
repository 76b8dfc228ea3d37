#include "net/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "net/internal/refusal.h"

namespace vtl {

int32_t SocketConnectTimeout = 10000;
int32_t SocketReadTimeout = 30000;

namespace {

sockaddr_in InetAddress(uint32_t ip, uint16_t port) {
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_addr.s_addr = htonl(ip);
  in.sin_port = htons(port);
  return in;
}

// Both fields from the socket-name or peer-name query, 0 when it fails.
template <class Query>
void QueryName(int handle, Query query, int32_t& ip, int32_t& port) {
  sockaddr_in in{};
  socklen_t length = sizeof in;
  if (handle < 0 || query(handle, reinterpret_cast<sockaddr*>(&in), &length) != 0 || in.sin_family != AF_INET) {
    ip = port = 0;
    return;
  }
  ip = static_cast<int32_t>(ntohl(in.sin_addr.s_addr));
  port = ntohs(in.sin_port);
}

// Waits up to timeout milliseconds (negative: without limit) for the events;
// true when one came. A signal does not end the wait early.
bool WaitFor(int handle, short events, int timeout) {
  pollfd p{handle, events, 0};
  int n;
  do n = poll(&p, 1, timeout);
  while (n < 0 && errno == EINTR);
  return n > 0;
}

// What ConnectWithin answers when no answer came in time.
constexpr int kNoAnswer = -1;

// A connect that gives up after SocketConnectTimeout: started without
// blocking, waited for, and the socket put back into blocking mode. 0 when
// connected, else the errno value of the failure or kNoAnswer.
int ConnectWithin(int handle, const sockaddr_in& to) {
  const auto* address = reinterpret_cast<const sockaddr*>(&to);
  if (SocketConnectTimeout <= 0) return connect(handle, address, sizeof to) == 0 ? 0 : errno;
  const int flags = fcntl(handle, F_GETFL);
  if (flags < 0 || fcntl(handle, F_SETFL, flags | O_NONBLOCK) < 0) return errno;
  int error = connect(handle, address, sizeof to) == 0 ? 0 : errno;
  if (error == EINPROGRESS) {
    if (WaitFor(handle, POLLOUT, SocketConnectTimeout)) {
      socklen_t length = sizeof error;
      if (getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    } else {
      error = kNoAnswer;
    }
  }
  if (fcntl(handle, F_SETFL, flags) != 0 && error == 0) error = errno;
  return error;
}

int NewSocket(int type) { return socket(AF_INET, type | SOCK_CLOEXEC, 0); }

Ref<TSocket> CreateOrRefuse(int type, const char* kind) {
  const int handle = NewSocket(type);
  if (handle < 0) {
    const int error = errno;
    Refuse(std::string("Cannot create a ") + kind + " socket", error);
  }
  return TSocket::Create(handle, 1);
}

}  // namespace

int32_t TSocket::Send(const void* buf, int32_t count, int32_t flags) {
  if (_socket < 0 || count < 1) return 0;
  // MSG_NOSIGNAL: a peer that has gone must not end the whole process.
  const ssize_t n = send(_socket, buf, static_cast<size_t>(count), flags | MSG_NOSIGNAL);
  if (n >= 0) return static_cast<int32_t>(n);
  const int error = errno;
  Refuse("Cannot send to " + AddressText(_remoteIp, _remotePort), error);
  return 0;
}

int32_t TSocket::Recv(void* buf, int32_t count, int32_t flags) {
  if (_socket < 0 || count < 1) return 0;
  const ssize_t n = recv(_socket, buf, static_cast<size_t>(count), flags);
  if (n >= 0) return static_cast<int32_t>(n);
  const int error = errno;
  if (error == EAGAIN || error == EWOULDBLOCK)
    Refuse("Nothing came from " + AddressText(_remoteIp, _remotePort) + " within the read time-out");
  else
    Refuse("Cannot receive from " + AddressText(_remoteIp, _remotePort), error);
  return 0;
}

void TSocket::Close() {
  if (_socket < 0) return;
  if (_autoClose) close(_socket);
  _socket = _localIp = _localPort = _remoteIp = _remotePort = -1;
}

namespace {

// A listening socket is readable while a client waits to be accepted, with
// nothing to read: that is no sign of a closed connection.
bool IsListening(int handle) {
  int listening = 0;
  socklen_t length = sizeof listening;
  return getsockopt(handle, SOL_SOCKET, SO_ACCEPTCONN, &listening, &length) == 0 && listening != 0;
}

}  // namespace

int32_t TSocket::Connected() {
  if (_socket < 0) return 0;
  if (!WaitFor(_socket, POLLIN, 0) || ReadAvail() != 0 || IsListening(_socket)) return 1;
  Close();
  return 0;
}

int32_t TSocket::Bind(int32_t port) {
  const std::string what = "Cannot bind to port " + std::to_string(port);
  if (_socket < 0) return Refuse(what + ": the socket is closed"), 0;
  if (port < 0 || port > 65535) return Refuse(what + ": no such port (ports run from 0 to 65535)"), 0;
  const sockaddr_in at = InetAddress(INADDR_ANY, static_cast<uint16_t>(port));
  if (bind(_socket, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) return Refuse(what, errno), 0;
  UpdateLocalName();
  return 1;
}

int32_t TSocket::Connect(int32_t ip, int32_t port) {
  const std::string what = "Cannot connect to " + AddressText(ip, port);
  if (_socket < 0) return Refuse(what + ": the socket is closed"), 0;
  // A port that does not fit 16 bits would otherwise be cut to another one.
  if (port < 1 || port > 65535) return Refuse(what + ": no such port (ports run from 1 to 65535)"), 0;
  const int error = ConnectWithin(_socket, InetAddress(static_cast<uint32_t>(ip), static_cast<uint16_t>(port)));
  if (error == kNoAnswer) return Refuse(what + ": no answer within " + std::to_string(SocketConnectTimeout) + " ms"), 0;
  if (error != 0) return Refuse(what, error), 0;
  UpdateLocalName();
  UpdateRemoteName();
  return 1;
}

int32_t TSocket::Listen(int32_t backlog) {
  const std::string what = "Cannot listen on port " + std::to_string(_localPort);
  if (_socket < 0) return Refuse(what + ": the socket is closed"), 0;
  if (listen(_socket, backlog) != 0) return Refuse(what, errno), 0;
  return 1;
}

Ref<TSocket> TSocket::Accept(int32_t timeout) {
  const std::string what = "No connection to accept on port " + std::to_string(_localPort);
  if (_socket < 0) return Refuse(what + ": the socket is closed"), nullptr;
  if (!WaitFor(_socket, POLLIN, timeout)) return Refuse(what + " within " + std::to_string(timeout) + " ms"), nullptr;
  const int handle = accept4(_socket, nullptr, nullptr, SOCK_CLOEXEC);
  if (handle < 0) return Refuse(what, errno), nullptr;
  return Create(handle, 1);
}

int32_t TSocket::ReadAvail() {
  int n = 0;
  if (_socket < 0 || ioctl(_socket, FIONREAD, &n) != 0) return 0;
  return n;
}

void TSocket::SetTCPNoDelay(int32_t flag) {
  if (_socket < 0) return;
  const int on = flag != 0;
  setsockopt(_socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

int32_t TSocket::Socket() { return _socket; }
int32_t TSocket::LocalIp() { return _localIp; }
int32_t TSocket::LocalPort() { return _localPort; }
int32_t TSocket::RemoteIp() { return _remoteIp; }
int32_t TSocket::RemotePort() { return _remotePort; }

void TSocket::UpdateLocalName() { QueryName(_socket, getsockname, _localIp, _localPort); }
void TSocket::UpdateRemoteName() { QueryName(_socket, getpeername, _remoteIp, _remotePort); }

Ref<TSocket> TSocket::Create(int32_t handle, int32_t autoClose) {
  if (handle < 0) return nullptr;
  auto socket = New<TSocket>();
  socket->_socket = handle;
  socket->_autoClose = autoClose;
  socket->UpdateLocalName();
  socket->UpdateRemoteName();
  return socket;
}

Ref<TSocket> TSocket::CreateUDP() { return CreateOrRefuse(SOCK_DGRAM, "UDP"); }
Ref<TSocket> TSocket::CreateTCP() { return CreateOrRefuse(SOCK_STREAM, "TCP"); }

void TSocket::OnLastRelease() noexcept { Close(); }

String TSocketException::ToString() const { return "Internal socket error"; }

}  // namespace vtl
