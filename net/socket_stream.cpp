#include "net/socket_stream.h"

#include <sys/socket.h>
#include <sys/time.h>

#include "net/host_names.h"

namespace vtl {

namespace {

// Reads and writes on the socket give up after SocketReadTimeout, so a
// server that stops answering cannot hold a loader for ever.
void LimitWaits(TSocket& socket) {
  if (SocketReadTimeout <= 0) return;
  timeval limit{};
  limit.tv_sec = SocketReadTimeout / 1000;
  limit.tv_usec = (SocketReadTimeout % 1000) * 1000;
  setsockopt(socket._socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  setsockopt(socket._socket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

}  // namespace

int32_t TSocketStream::Read(void* buf, int32_t count) { return _socket ? _socket->Recv(buf, count, 0) : 0; }

int32_t TSocketStream::Write(const void* buf, int32_t count) { return _socket ? _socket->Send(buf, count, 0) : 0; }

int32_t TSocketStream::Eof() {
  if (!_socket) return 1;
  if (_socket->Connected()) return 0;
  Close();
  return 1;
}

void TSocketStream::Close() {
  if (!_socket) return;
  if (_autoClose) _socket->Close();
  _socket = nullptr;
}

Ref<TSocket> TSocketStream::Socket() { return _socket; }

Ref<TSocketStream> TSocketStream::Create(const Ref<TSocket>& socket, int32_t autoClose) {
  auto stream = New<TSocketStream>();
  stream->_socket = socket;
  stream->_autoClose = autoClose;
  return stream;
}

Ref<TSocketStream> TSocketStream::CreateClient(const String& hostName, int32_t port) {
  const int32_t ip = HostIp(hostName, 0);
  if (ip == 0) return nullptr;
  Ref<TSocket> socket = TSocket::CreateTCP();
  if (!socket) return nullptr;
  if (!socket->Connect(ip, port)) {
    socket->Close();
    return nullptr;
  }
  LimitWaits(*socket);
  return Create(socket, 1);
}

}  // namespace vtl
