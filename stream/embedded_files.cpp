#include "stream/embedded_files.h"

#include <vector>

namespace vtl {

namespace {

struct Entry {
  String name;
  const uint8_t* data;
  int32_t length;
};

// Newest first; never freed, since entries may be looked up from at-exit
// handlers. Filled at start-up, before any stream is opened.
std::vector<Entry>& Registry() {
  static auto* entries = new std::vector<Entry>();
  return *entries;
}

const Entry* Find(const String& name) {
  auto& entries = Registry();
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (it->name == name) return &*it;
  }
  return nullptr;
}

}  // namespace

int32_t RegisterEmbeddedFile(const String& name, const void* data, int32_t length) {
  if (Find(name)) return 0;
  if (!data || length < 0) length = 0;
  String kept = name;
  kept.Object()->MakePermanent();
  Registry().push_back({kept, static_cast<const uint8_t*>(data), length});
  return 1;
}

const uint8_t* EmbeddedFileData(const String& name) {
  const Entry* e = Find(name);
  return e ? e->data : nullptr;
}

int32_t EmbeddedFileLength(const String& name) {
  const Entry* e = Find(name);
  return e ? e->length : 0;
}

bool EmbeddedFileExists(const String& name) { return Find(name) != nullptr; }

int32_t RegisterEmbeddedBytes(const char* name, const void* data, int32_t length) {
  return RegisterEmbeddedFile(String(name), data, length);
}

}  // namespace vtl
