#include "stream/stream_factory.h"

#include "runtime/last_error.h"
#include "runtime/registry.h"
#include "runtime/string_ops.h"
#include "stream/c_stream.h"
#include "stream/embedded_files.h"
#include "stream/ram_stream.h"
#include "stream/stream_wrapper.h"
#include "stream/xendian_stream.h"

namespace vtl {

namespace {

Registry<TStreamFactory>& Factories() {
  static auto* chain = new Registry<TStreamFactory>();  // lives until the process ends
  return *chain;
}

// Protocols nest ("bigendian::incbin::x"); a URL nesting deeper than any real
// use is refused rather than recursed into without end.
constexpr int kMaxNesting = 64;
thread_local int nesting = 0;

struct NestingGuard {
  NestingGuard() { ++nesting; }
  ~NestingGuard() { --nesting; }
};

// Lower-cases A to Z only; other codes stay as they are.
String LowerAscii(const String& s) {
  return String::Build(s.Length(), [&](char16_t* out) {
    for (int32_t i = 0; i < s.Length(); ++i) {
      char16_t c = s.Data()[i];
      out[i] = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    }
  });
}

String NoFactoryText(const Ref<Object>& url, const String& text, const String& protocol) {
  if (!text.IsEmpty()) return "No stream factory for protocol '" + protocol + "' in '" + text + "'";
  if (url && !AsString(url)) return String("No stream factory opens this object as a URL");
  return String("Empty stream URL");
}

}  // namespace

void TStreamFactory::AfterNew(const Ref<TStreamFactory>& made) { RegisterStreamFactory(made); }

int32_t RegisterStreamFactory(const Ref<TStreamFactory>& factory) { return Factories().Add(factory) ? 1 : 0; }

Ref<TStream> TStreamFactory::CreateStream(const Ref<Object>&, const String&, const String&, int32_t, int32_t) {
  return nullptr;
}

Ref<TStreamFactory> TStreamFactory::Registered() { return Factories().Head(); }

Ref<TStream> TRamStreamFactory::CreateStream(const Ref<Object>&, const String& protocol, const String& path,
                                             int32_t readable, int32_t writeable) {
  if (!(protocol == "incbin")) return nullptr;
  if (writeable) {
    SetLastErrorText("Embedded file '" + path + "' cannot be opened for writing");
    return nullptr;
  }
  if (!EmbeddedFileExists(path)) {
    SetLastErrorText("No embedded file named '" + path + "'");
    return nullptr;
  }
  // Writing is off, so the stream never writes through the const bytes.
  auto* data = const_cast<uint8_t*>(EmbeddedFileData(path));
  return TRamStream::Create(data, EmbeddedFileLength(path), readable, 0);
}

Ref<TStream> TXEndianStreamFactory::CreateStream(const Ref<Object>&, const String& protocol, const String& path,
                                                 int32_t readable, int32_t writeable) {
  if (protocol == "bigendian") return TXEndianStream::BigEndian(OpenStreamUrl(path, readable, writeable));
  if (protocol == "littleendian") return TXEndianStream::LittleEndian(OpenStreamUrl(path, readable, writeable));
  return nullptr;
}

Ref<TStream> OpenStreamUrl(const Ref<Object>& url, int32_t readable, int32_t writeable) {
  if (auto stream = DowncastObject<TStream>(url)) return TStreamStream::Create(stream);
  if (nesting >= kMaxNesting) {
    SetLastErrorText("Stream URL nests protocols more than " + StringFromInt(kMaxNesting) + " deep");
    return nullptr;
  }
  NestingGuard guard;

  String text = AsString(url).value_or(String());
  String protocol;
  String path;
  if (!text.IsEmpty()) {
    int32_t split = FindString(text, "::");
    if (split < 0) return TCStream::OpenFile(text, readable, writeable);
    protocol = LowerAscii(SliceString(text, 0, split));
    path = SliceString(text, split + 2, text.Length());
  }
  // A factory that serves the protocol but cannot open the path says why;
  // when none does, no factory served it. A stream that opens leaves the text
  // as it was, unless its factory noted something about it (an HTTP error
  // status whose body is still the stream).
  const String before = LastErrorText();
  ClearLastErrorText();
  Ref<TStream> stream = Factories().FirstAnswer([&](const Ref<TStreamFactory>& factory) {
    return factory->CreateStream(url, protocol, path, readable, writeable);
  });
  if (stream) {
    if (LastErrorText().IsEmpty()) SetLastErrorText(before);
  } else if (LastErrorText().IsEmpty()) {
    SetLastErrorText(NoFactoryText(url, text, protocol));
  }
  return stream;
}

Ref<TStream> OpenStreamUrl(const String& url, int32_t readable, int32_t writeable) {
  return OpenStreamUrl(Ref<Object>(url), readable, writeable);
}

Ref<TStream> OpenReadStream(const Ref<Object>& url) { return OpenStreamUrl(url, 1, 0); }
Ref<TStream> OpenReadStream(const String& url) { return OpenStreamUrl(url, 1, 0); }
Ref<TStream> OpenWriteStream(const Ref<Object>& url) { return OpenStreamUrl(url, 0, 1); }
Ref<TStream> OpenWriteStream(const String& url) { return OpenStreamUrl(url, 0, 1); }

Ref<TStream> BigEndianView(const Ref<TStream>& stream) { return TXEndianStream::BigEndian(stream); }
Ref<TStream> LittleEndianView(const Ref<TStream>& stream) { return TXEndianStream::LittleEndian(stream); }

}  // namespace vtl
