// libFuzzer entry for object streams: TDataStream::ReadObject over any bytes,
// with the list, pixmap and image data types registered, once over memory
// and once over a source that does not tell its size (as a pipe), where
// lengths and counts cannot be checked against the bytes left. Reading may
// give objects or a runtime error; anything else (a crash, a sanitizer
// report, a leak, a hang, memory taken for bytes that never came) is a
// finding.
#include <cstdint>
#include <vector>

#include "data_samples.h"

namespace {

// Lists read from a stream may contain themselves; clearing every list read
// breaks such cycles so that the leak checker sees only real leaks.
void ClearListsRead(const vtl::Ref<vtl::TDataStream>& stream) {
  for (int32_t i = 0; i < stream->_dataId && i < stream->_datas->Length(); ++i)
    if (auto list = vtl::DowncastObject<vtl::TList>((*stream->_datas)[i])) list->Clear();
}

void ReadObjects(const vtl::Ref<vtl::TStream>& source) {
  auto stream = vtl::TDataStream::WithStream(source);
  try {
    // Several objects in a row, as a file of saved objects holds them.
    for (int i = 0; i < 8 && !stream->Eof(); ++i) stream->ReadObject();
  } catch (const vtl::ThrownObject& thrown) {
    if (!vtl::DowncastObject<vtl::TRuntimeException>(thrown.object) &&
        !vtl::DowncastObject<vtl::TStreamException>(thrown.object))
      __builtin_trap();
  }
  ClearListsRead(stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (vtl::InitImage(), true);
  (void)ready;
  if (size > (1u << 20)) return 0;
  std::vector<uint8_t> copy(data, data + size);
  ReadObjects(vtl::TRamStream::Create(copy.data(), static_cast<int32_t>(size), 1, 0));
  ReadObjects(vtl::New<vtl::test::TSizelessSource>(copy));
  return 0;
}
