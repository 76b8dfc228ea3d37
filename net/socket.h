/// \file
/// TSocket: an IPv4 socket with its local and remote address, and
/// TSocketException. Sockets block, apart from the zero-wait readability test
/// of Connected, the bounded wait of Accept and the connect time-out.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

/// How long Connect waits for the other side to answer, in milliseconds
/// (10000 at start-up). 0 or less waits as long as the system does.
extern int32_t SocketConnectTimeout;
/// How long a read or write on a client socket stream (TSocketStream
/// CreateClient, the "tcp" and "http" protocols) may wait, in milliseconds
/// (30000 at start-up). A read that times out brings nothing, which streams
/// report as a read error. It applies to sockets made after the change; 0
/// or less waits without limit.
extern int32_t SocketReadTimeout;

/// An IPv4 socket. Addresses are ints with the first dotted number in the top
/// byte; ports are plain numbers. A closed socket has -1 in _socket and in
/// the four address fields. Every call that fails with 0 or the Null object
/// records why in LastErrorText (runtime/last_error.h), with the system's
/// words and the address asked for: "Cannot connect to 127.0.0.1:1:
/// Connection refused".
class TSocket : public Object {
 public:
  /// The system's send and receive of up to count bytes; a failure, or a
  /// count below 1, gives 0. Sending to a peer that has gone returns 0
  /// rather than raising a signal.
  ///@{
  virtual int32_t Send(const void* buf, int32_t count, int32_t flags);
  virtual int32_t Recv(void* buf, int32_t count, int32_t flags);
  ///@}
  /// Closes the handle when _autoClose is set, then sets the handle and the
  /// four address fields to -1. Nothing when already closed.
  virtual void Close();
  /// 0 once closed. A listening socket is connected while it is open. Any
  /// other is tested, without waiting, for being readable: 1 when it is not,
  /// or when there are bytes to read; when it is readable with nothing to
  /// read the other side has gone, and the socket is closed and 0 returned.
  virtual int32_t Connected();
  /// Binds to any local address and the port (0: one the system picks);
  /// 1 on success, after which the local address is known.
  virtual int32_t Bind(int32_t port);
  /// Connects to the port of ip, waiting at most SocketConnectTimeout;
  /// 1 on success, after which both addresses are known. 0 on failure,
  /// and for a port outside 1 to 65535.
  virtual int32_t Connect(int32_t ip, int32_t port);
  /// Starts listening with the backlog; 1 on success.
  virtual int32_t Listen(int32_t backlog);
  /// Waits up to timeout milliseconds (negative: without limit) for a
  /// connection and accepts it as a new socket that closes its handle; the
  /// Null object when none came or accepting failed.
  virtual Ref<TSocket> Accept(int32_t timeout);
  /// The bytes that can be read at once; 0 on failure.
  virtual int32_t ReadAvail();
  /// Turns the TCP no-delay option on (flag not 0) or off.
  virtual void SetTCPNoDelay(int32_t flag);
  /// The handle, -1 once closed.
  virtual int32_t Socket();
  /// The local and remote address and port, -1 once closed.
  ///@{
  virtual int32_t LocalIp();
  virtual int32_t LocalPort();
  virtual int32_t RemoteIp();
  virtual int32_t RemotePort();
  ///@}
  /// Asks the system for the local (remote) address and port; both 0 when it
  /// cannot tell.
  ///@{
  virtual void UpdateLocalName();
  virtual void UpdateRemoteName();
  ///@}

  /// A socket over the handle, both names looked up; the Null object for a
  /// negative handle. With autoClose set, closing the socket (or dropping the
  /// last reference to it) closes the handle.
  static Ref<TSocket> Create(int32_t handle, int32_t autoClose);
  /// A new datagram socket, or the Null object when the system refuses.
  static Ref<TSocket> CreateUDP();
  /// A new stream socket, or the Null object when the system refuses.
  static Ref<TSocket> CreateTCP();

  int32_t _socket = -1;      ///< The handle, -1 once closed.
  int32_t _autoClose = 0;    ///< 1: closing the socket closes the handle.
  int32_t _localIp = -1;     ///< Local address.
  int32_t _localPort = -1;   ///< Local port.
  int32_t _remoteIp = -1;    ///< Remote address.
  int32_t _remotePort = -1;  ///< Remote port.

 protected:
  /// Closes the handle when the last reference goes.
  void OnLastRelease() noexcept override;
};

/// An error of the socket layer, for callers that raise one; the layer itself
/// reports failures by results.
class TSocketException : public Object {
 public:
  /// "Internal socket error".
  String ToString() const override;
};

}  // namespace vtl
