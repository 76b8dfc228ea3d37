/// \file
/// The socket operations as free functions, each one call of the TSocket or
/// TSocketStream method of the same purpose. Passing the Null object raises
/// TNullObjectException.
#pragma once

#include <cstdint>

#include "net/socket.h"
#include "net/socket_stream.h"

namespace vtl {

/// TSocket::CreateUDP.
inline Ref<TSocket> CreateUDPSocket() { return TSocket::CreateUDP(); }
/// TSocket::CreateTCP.
inline Ref<TSocket> CreateTCPSocket() { return TSocket::CreateTCP(); }
/// TSocket::Close.
inline void CloseSocket(const Ref<TSocket>& socket) { socket->Close(); }
/// TSocket::Bind.
inline int32_t BindSocket(const Ref<TSocket>& socket, int32_t port) { return socket->Bind(port); }
/// TSocket::Connect.
inline int32_t ConnectSocket(const Ref<TSocket>& socket, int32_t ip, int32_t port) { return socket->Connect(ip, port); }
/// TSocket::Listen.
inline int32_t SocketListen(const Ref<TSocket>& socket, int32_t backlog) { return socket->Listen(backlog); }
/// TSocket::Accept.
inline Ref<TSocket> SocketAccept(const Ref<TSocket>& socket, int32_t timeout) { return socket->Accept(timeout); }
/// TSocket::Connected.
inline int32_t SocketConnected(const Ref<TSocket>& socket) { return socket->Connected(); }
/// TSocket::ReadAvail.
inline int32_t SocketReadAvail(const Ref<TSocket>& socket) { return socket->ReadAvail(); }
/// TSocket::SetTCPNoDelay.
inline void SetSocketTCPNoDelay(const Ref<TSocket>& socket, int32_t flag) { socket->SetTCPNoDelay(flag); }
/// TSocket::LocalIp.
inline int32_t SocketLocalIp(const Ref<TSocket>& socket) { return socket->LocalIp(); }
/// TSocket::LocalPort.
inline int32_t SocketLocalPort(const Ref<TSocket>& socket) { return socket->LocalPort(); }
/// TSocket::RemoteIp.
inline int32_t SocketRemoteIp(const Ref<TSocket>& socket) { return socket->RemoteIp(); }
/// TSocket::RemotePort.
inline int32_t SocketRemotePort(const Ref<TSocket>& socket) { return socket->RemotePort(); }
/// TSocketStream::Create.
inline Ref<TSocketStream> CreateSocketStream(const Ref<TSocket>& socket, int32_t autoClose) {
  return TSocketStream::Create(socket, autoClose);
}
/// TSocketStream::Socket.
inline Ref<TSocket> SocketStreamSocket(const Ref<TSocketStream>& stream) { return stream->Socket(); }

}  // namespace vtl
