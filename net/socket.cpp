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

// A connect that gives up after SocketConnectTimeout: started without
// blocking, waited for, and the socket put back into blocking mode.
bool ConnectWithin(int handle, const sockaddr_in& to) {
  const auto* address = reinterpret_cast<const sockaddr*>(&to);
  if (SocketConnectTimeout <= 0) return connect(handle, address, sizeof to) == 0;
  const int flags = fcntl(handle, F_GETFL);
  if (flags < 0 || fcntl(handle, F_SETFL, flags | O_NONBLOCK) < 0) return false;
  bool ok = connect(handle, address, sizeof to) == 0;
  if (!ok && errno == EINPROGRESS && WaitFor(handle, POLLOUT, SocketConnectTimeout)) {
    int error = 0;
    socklen_t length = sizeof error;
    ok = getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
  }
  return fcntl(handle, F_SETFL, flags) == 0 && ok;
}

int NewSocket(int type) { return socket(AF_INET, type | SOCK_CLOEXEC, 0); }

}  // namespace

int32_t TSocket::Send(const void* buf, int32_t count, int32_t flags) {
  if (_socket < 0 || count < 1) return 0;
  // MSG_NOSIGNAL: a peer that has gone must not end the whole process.
  const ssize_t n = send(_socket, buf, static_cast<size_t>(count), flags | MSG_NOSIGNAL);
  return n < 0 ? 0 : static_cast<int32_t>(n);
}

int32_t TSocket::Recv(void* buf, int32_t count, int32_t flags) {
  if (_socket < 0 || count < 1) return 0;
  const ssize_t n = recv(_socket, buf, static_cast<size_t>(count), flags);
  return n < 0 ? 0 : static_cast<int32_t>(n);
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
  if (_socket < 0 || port < 0 || port > 65535) return 0;
  const sockaddr_in at = InetAddress(INADDR_ANY, static_cast<uint16_t>(port));
  if (bind(_socket, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) return 0;
  UpdateLocalName();
  return 1;
}

int32_t TSocket::Connect(int32_t ip, int32_t port) {
  // A port that does not fit 16 bits would otherwise be cut to another one.
  if (_socket < 0 || port < 1 || port > 65535) return 0;
  if (!ConnectWithin(_socket, InetAddress(static_cast<uint32_t>(ip), static_cast<uint16_t>(port)))) return 0;
  UpdateLocalName();
  UpdateRemoteName();
  return 1;
}

int32_t TSocket::Listen(int32_t backlog) { return _socket >= 0 && listen(_socket, backlog) == 0; }

Ref<TSocket> TSocket::Accept(int32_t timeout) {
  if (_socket < 0 || !WaitFor(_socket, POLLIN, timeout)) return nullptr;
  const int handle = accept4(_socket, nullptr, nullptr, SOCK_CLOEXEC);
  return handle < 0 ? nullptr : Create(handle, 1);
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

Ref<TSocket> TSocket::CreateUDP() { return Create(NewSocket(SOCK_DGRAM), 1); }
Ref<TSocket> TSocket::CreateTCP() { return Create(NewSocket(SOCK_STREAM), 1); }

void TSocket::OnLastRelease() noexcept { Close(); }

String TSocketException::ToString() const { return "Internal socket error"; }

}  // namespace vtl
