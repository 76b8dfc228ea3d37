#include "stream/stream_utils.h"

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "stream/stream_exceptions.h"
#include "stream/stream_factory.h"

namespace vtl {

namespace {

constexpr int32_t kDefaultBuffer = 4096;

int32_t BufferSize(int32_t requested) { return requested > 0 ? requested : kDefaultBuffer; }

}  // namespace

Ref<Array<uint8_t>> LoadBytesUrl(const Ref<Object>& url) {
  Ref<TStream> stream = OpenReadStream(url);
  if (!stream) ThrowStreamRead();
  std::vector<uint8_t> buf(1024);
  size_t used = 0;
  while (!stream->Eof()) {
    if (used == buf.size()) {
      if (buf.size() >= static_cast<size_t>(INT32_MAX)) ThrowStreamRead();  // no array can hold more
      size_t grown = buf.size() * 3 / 2;
      buf.resize(grown > static_cast<size_t>(INT32_MAX) ? static_cast<size_t>(INT32_MAX) : grown);
    }
    int32_t n = stream->Read(buf.data() + used, static_cast<int32_t>(buf.size() - used));
    // A stream that makes no progress without reporting its end would
    // otherwise keep this loop going for ever.
    if (n <= 0) break;
    used += static_cast<size_t>(n);
  }
  stream->Close();
  auto bytes = NewArray<uint8_t>({static_cast<int32_t>(used)});
  if (used) std::memcpy(bytes->Data(), buf.data(), used);
  return bytes;
}

Ref<Array<uint8_t>> LoadBytesUrl(const String& url) { return LoadBytesUrl(Ref<Object>(url)); }

String LoadTextUrl(const Ref<Object>& url) {
  auto bytes = LoadBytesUrl(url);
  return String::FromLatin1(reinterpret_cast<const char*>(bytes->Data()), bytes->Length());
}

String LoadTextUrl(const String& url) { return LoadTextUrl(Ref<Object>(url)); }

void SaveTextUrl(const String& text, const Ref<Object>& url) {
  Ref<TStream> stream = OpenWriteStream(url);
  if (!stream) ThrowStreamWrite();
  std::string bytes = text.ToLatin1();
  stream->WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
  stream->Close();
}

void SaveTextUrl(const String& text, const String& url) { SaveTextUrl(text, Ref<Object>(url)); }

void SaveBytesUrl(const Ref<Array<uint8_t>>& bytes, const Ref<Object>& url) {
  Ref<TStream> stream = OpenWriteStream(url);
  if (!stream) ThrowStreamWrite();
  stream->WriteBytes(bytes->Data(), bytes->Length());
  stream->Close();
}

void SaveBytesUrl(const Ref<Array<uint8_t>>& bytes, const String& url) { SaveBytesUrl(bytes, Ref<Object>(url)); }

void CopyStreamData(const Ref<TStream>& from, const Ref<TStream>& to, int32_t bufSize) {
  std::vector<uint8_t> buf(static_cast<size_t>(BufferSize(bufSize)));
  while (!from->Eof()) {
    int32_t n = from->Read(buf.data(), static_cast<int32_t>(buf.size()));
    if (n <= 0) break;  // no progress and no end reported: stop rather than spin
    to->WriteBytes(buf.data(), n);
  }
}

void CopyStreamBytes(const Ref<TStream>& from, const Ref<TStream>& to, int32_t count, int32_t bufSize) {
  std::vector<uint8_t> buf(static_cast<size_t>(BufferSize(bufSize)));
  while (count > 0 && !from->Eof()) {
    const int32_t wanted = count < static_cast<int32_t>(buf.size()) ? count : static_cast<int32_t>(buf.size());
    // Write what Read says arrived: a source that cannot tell its position
    // (a socket) gives no other measure, and the rest of buf is stale.
    int32_t n = from->Read(buf.data(), wanted);
    if (n <= 0 && from->Eof()) break;  // the end, learnt only by reading
    if (n <= 0) ThrowStreamRead();
    if (n > wanted) n = wanted;
    to->WriteBytes(buf.data(), n);
    count -= n;
  }
}

}  // namespace vtl
