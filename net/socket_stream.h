/// \file
/// TSocketStream: a stream over a connected TCP socket. It cannot tell its
/// position or size; it ends when the other side closes.
#pragma once

#include <cstdint>

#include "net/socket.h"
#include "runtime/object.h"
#include "runtime/string.h"
#include "stream/basic_stream.h"

namespace vtl {

/// A stream over a connected socket.
class TSocketStream : public TStream {
 public:
  /// The socket's Recv and Send with flags 0; 0 once the stream is closed.
  ///@{
  int32_t Read(void* buf, int32_t count) override;
  int32_t Write(const void* buf, int32_t count) override;
  ///@}
  /// 1 when closed; 0 while the socket is Connected; otherwise the other side
  /// has gone, and the stream closes itself and answers 1.
  int32_t Eof() override;
  /// Closes the socket when _autoClose is set, and lets go of it.
  void Close() override;
  /// The socket, or the Null object once closed.
  virtual Ref<TSocket> Socket();

  /// A stream over the socket; with autoClose set, closing the stream closes
  /// the socket.
  static Ref<TSocketStream> Create(const Ref<TSocket>& socket, int32_t autoClose);
  /// Connects to the port of the first address of the host name and returns a
  /// stream that owns the socket; reads and writes on it wait at most
  /// SocketReadTimeout. The Null object when the name does not resolve (no
  /// socket is made then) or the connection fails.
  static Ref<TSocketStream> CreateClient(const String& hostName, int32_t port);

  Ref<TSocket> _socket;    ///< The socket, the Null object once closed.
  int32_t _autoClose = 0;  ///< 1: closing the stream closes the socket.
};

}  // namespace vtl
