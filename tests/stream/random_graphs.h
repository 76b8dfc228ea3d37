// Random object graphs for comparing ways of writing and reading them: lists
// nested and shared, pixmaps of every format, banks, images, Null elements
// and objects that are no data, all from one seed. Header-only so that the
// same graphs can be made by any program.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "image/image.h"
#include "runtime/runtime.h"
#include "stream/stream.h"

namespace vtl::test {

// A list holding 1 to 12 random objects, some of them more than once, and
// lists among them that hold earlier ones. No list holds itself.
inline Ref<TList> RandomGraph(uint32_t seed) {
  std::mt19937 rng(seed);
  auto below = [&rng](uint32_t n) { return static_cast<int32_t>(rng() % n); };
  std::vector<Ref<Object>> made;
  const int32_t count = 1 + below(12);
  for (int32_t i = 0; i < count; ++i) {
    switch (below(made.empty() ? 4 : 6)) {
      case 0:
      case 1: {
        // One draw per statement: the order of a call's arguments is the
        // compiler's choice.
        const int32_t format = 1 + below(12);
        const int32_t width = 1 + below(6);
        const int32_t height = 1 + below(6);
        const int32_t align = 1 << below(3);
        Ref<TPixmap> pixmap = TPixmap::Create(width, height, format, align);
        pixmap->ClearPixels(0);
        const int32_t rowBytes = pixmap->width * FormatBytes(format);
        for (int32_t y = 0; y < pixmap->height; ++y)
          for (int32_t x = 0; x < rowBytes; ++x) pixmap->PixelPtr(0, y)[x] = static_cast<uint8_t>(rng());
        made.push_back(pixmap);
        break;
      }
      case 2: {
        Ref<TBank> bank = TBank::Create(below(40));
        for (int32_t at = 0; at < bank->Size(); ++at) bank->PokeByte(at, static_cast<int32_t>(rng() & 255));
        made.push_back(bank);
        break;
      }
      case 3: made.push_back(below(2) ? Ref<Object>(New<Object>()) : Ref<Object>()); break;
      default: {
        auto list = New<TList>();
        for (int32_t k = below(5); k > 0; --k) list->AddLast(made[static_cast<size_t>(below(made.size()))]);
        made.push_back(list);
        break;
      }
    }
  }
  auto root = New<TList>();
  for (const Ref<Object>& object : made) root->AddLast(object);
  for (int32_t k = below(4); k > 0; --k) root->AddLast(made[static_cast<size_t>(below(made.size()))]);
  return root;
}

// FNV-1a over bytes, continuing from hash.
inline uint64_t HashBytes(const std::vector<uint8_t>& bytes, uint64_t hash = 14695981039346656037ull) {
  for (uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
  return hash;
}

}  // namespace vtl::test
