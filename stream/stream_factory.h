/// \file
/// Opening streams by URL. A URL is an open stream, a plain file name, or
/// "protocol::path" answered by the chain of stream factories. The newest
/// factory is asked first; each answers only to its own protocol.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"
#include "stream/basic_stream.h"

namespace vtl {

/// Opens the streams of one protocol. Every factory made with New joins the
/// chain (RegisterStreamFactory).
class TStreamFactory : public Object {
 public:
  /// Called by New once the factory is whole: it joins the chain at its
  /// head. A constructor that throws registers nothing.
  static void AfterNew(const Ref<TStreamFactory>& made);

  /// A stream for the url, or the Null object when this factory does not
  /// serve the protocol. protocol is already lower case. A factory that
  /// serves the protocol but cannot open the path says why with
  /// SetLastErrorText before it returns the Null object.
  virtual Ref<TStream> CreateStream(const Ref<Object>& url, const String& protocol, const String& path,
                                    int32_t readable, int32_t writeable);

  /// The head of the chain; follow _succ for the rest.
  static Ref<TStreamFactory> Registered();

  Ref<TStreamFactory> _succ;  ///< The factory made before this one, or Null.
};

/// Puts the factory at the head of the chain, so it is asked first;
/// factories live until the process ends. 1 when it was linked in; 0,
/// changing nothing, for a factory already in the chain or the Null object.
/// New calls it for every factory it makes. Main thread only, before
/// streams are opened on other threads.
int32_t RegisterStreamFactory(const Ref<TStreamFactory>& factory);

/// "incbin": an embedded file as a read-only TRamStream (the Null object
/// when writing is asked for or no file has that name).
class TRamStreamFactory : public TStreamFactory {
 public:
  Ref<TStream> CreateStream(const Ref<Object>& url, const String& protocol, const String& path, int32_t readable,
                            int32_t writeable) override;
};

/// "bigendian" and "littleendian": the stream opened from the path, viewed
/// in that byte order.
class TXEndianStreamFactory : public TStreamFactory {
 public:
  Ref<TStream> CreateStream(const Ref<Object>& url, const String& protocol, const String& path, int32_t readable,
                            int32_t writeable) override;
};

/// An open stream comes back wrapped (closing the result leaves it open); a
/// string without "::" opens a file; otherwise the factories are asked. Any
/// other object counts as the empty string. The Null object when nothing
/// could open it (also for protocols nested more than 64 deep), and
/// LastErrorText() then says why: the file's or the factory's reason, or
/// "No stream factory for protocol 'gopher' in 'gopher::x'". Opening a
/// stream leaves LastErrorText() as it was.
///@{
Ref<TStream> OpenStreamUrl(const Ref<Object>& url, int32_t readable = 1, int32_t writeable = 1);
Ref<TStream> OpenStreamUrl(const String& url, int32_t readable = 1, int32_t writeable = 1);
///@}
/// OpenStreamUrl for reading only.
///@{
Ref<TStream> OpenReadStream(const Ref<Object>& url);
Ref<TStream> OpenReadStream(const String& url);
///@}
/// OpenStreamUrl for writing only.
///@{
Ref<TStream> OpenWriteStream(const Ref<Object>& url);
Ref<TStream> OpenWriteStream(const String& url);
///@}

/// TXEndianStream::BigEndian.
Ref<TStream> BigEndianView(const Ref<TStream>& stream);
/// TXEndianStream::LittleEndian: the stream itself.
Ref<TStream> LittleEndianView(const Ref<TStream>& stream);

}  // namespace vtl
