#include "stream/loader_chain.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "runtime/last_error.h"
#include "runtime/string_ops.h"
#include "stream/bank_stream.h"
#include "stream/stream_closer.h"
#include "stream/stream_factory.h"
#include "stream/stream_utils.h"

namespace vtl {

namespace {

// The class's name as written, without its namespaces.
std::string ClassName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                   std::free);
  std::string name = status == 0 && demangled ? demangled.get() : type.name();
  const size_t colons = name.rfind("::");
  return colons == std::string::npos ? name : name.substr(colons + 2);
}

// "PNG" for TPixmapLoaderPNG in the chain of TPixmapLoader; other names whole.
String LoaderName(const Object& loader, const std::type_info& base) {
  std::string name = ClassName(typeid(loader));
  const std::string prefix = ClassName(base);
  if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) name.erase(0, prefix.size());
  return String(name.c_str());
}

void CloseQuietly(const Ref<TStream>& stream) { StreamCloser closer(stream); }

}  // namespace

std::nullptr_t RefuseLoad(const String& reason) {
  SetLastErrorText(reason);
  return nullptr;
}

LoaderChainWalk::LoaderChainWalk(const Ref<Object>& url, int32_t maxBufferedBytes)
    : name_(AsString(url).value_or(String())), before_(LastErrorText()) {
  opened_ = OpenReadStream(url);
  if (!opened_) return;  // the opening said why
  start_ = opened_->Pos();
  if (start_ >= 0) {
    stream_ = opened_;
    return;
  }
  // Every loader starts from the same position, which a stream that cannot
  // tell its position (a socket, a pipe) cannot return to: its bytes are
  // read into memory once, and the loaders read that.
  start_ = 0;
  Ref<TBankStream> memory = TBankStream::Create(nullptr);
  String failure;
  try {
    CopyStreamBytes(opened_, memory, maxBufferedBytes + 1, 64 * 1024);
  } catch (const ThrownObject& thrown) {
    if (!DowncastObject<TStreamException>(thrown.object)) throw;
    failure = thrown.object->ToString();
  }
  if (!failure.IsEmpty()) {
    SetLastErrorText(Named("the stream failed while it was read into memory (" + failure + ")"));
  } else if (memory->Size() > maxBufferedBytes) {
    SetLastErrorText(Named("a stream that cannot seek back holds more than " + StringFromInt(maxBufferedBytes) +
                           " bytes, the most read into memory for the loaders"));
  } else {
    memory->Seek(0);
    stream_ = memory;
  }
}

LoaderChainWalk::~LoaderChainWalk() {
  if (stream_ != opened_) CloseQuietly(stream_);
  CloseQuietly(opened_);
}

void LoaderChainWalk::BeforeLoader() {
  stream_->Seek(start_);
  ClearLastErrorText();
}

void LoaderChainWalk::Refused(const Object& loader, const std::type_info& base, const Ref<Object>& thrown) {
  String reason = LastErrorText();
  if (reason.IsEmpty()) {
    reason = LoaderName(loader, base) + (thrown ? " loader: " + thrown->ToString() : String(" loader refused it"));
  }
  reasons_.push_back(reason);
}

void LoaderChainWalk::Accepted() { SetLastErrorText(before_); }

void LoaderChainWalk::AllRefused() {
  String text;
  for (const String& reason : reasons_) text = text.IsEmpty() ? reason : text + "; " + reason;
  SetLastErrorText(Named(text.IsEmpty() ? String("no loader is registered") : text));
}

String LoaderChainWalk::Named(const String& text) const { return name_.IsEmpty() ? text : name_ + ": " + text; }

}  // namespace vtl
