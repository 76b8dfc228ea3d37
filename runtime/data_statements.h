// Data statements: blocks of tagged constants compiled into the program and
// read one after another through a single read position.
//
//   constexpr vtl::DataItem kLevels[] = {1, 2, 2.75f, "$1F", vtl::EndOfData};
//   constexpr vtl::DataLabel Levels{kLevels};       // label at the first item
//   constexpr vtl::DataLabel Second{kLevels, 1};    // label at the second
//   vtl::RestoreData(Levels);
//   int32_t a = vtl::ReadDataInt();                 // 1
//
// Each item's tag decides how it converts, whatever type is asked for.
// Reading at the end marker throws TOutOfDataException and stays there.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/string.h"

namespace vtl {

struct DataItem {
  // 'b' byte, 's' short, 'i' int, 'f' float, 'd' double, '$' string; 0 ends the block.
  char tag = 0;
  union {
    int32_t i = 0;
    float f;
    double d;
    const char* s;  // literal text, read as String("...") reads it
  };

  constexpr DataItem() = default;
  constexpr DataItem(int32_t v) : tag('i'), i(v) {}
  constexpr DataItem(float v) : tag('f'), f(v) {}
  constexpr DataItem(double v) : tag('d'), d(v) {}
  constexpr DataItem(const char* v) : tag('$'), s(v) {}

  static constexpr DataItem Byte(uint8_t v) {
    DataItem item(static_cast<int32_t>(v));
    item.tag = 'b';
    return item;
  }
  static constexpr DataItem Short(uint16_t v) {
    DataItem item(static_cast<int32_t>(v));
    item.tag = 's';
    return item;
  }
};

inline constexpr DataItem EndOfData{};

// A named position in a block. The block must end with EndOfData, which is
// checked when the program is compiled.
class DataLabel {
 public:
  template <size_t N>
  consteval DataLabel(const DataItem (&items)[N], size_t index = 0) : item_(&items[index]) {
    if (items[N - 1].tag != 0) throw "a data block must end with EndOfData";
    if (index >= N) throw "data label beyond its block";
  }
  constexpr const DataItem* Item() const { return item_; }

 private:
  const DataItem* item_;
};

// The read position: the next item to read, or nullptr before any RestoreData.
extern const DataItem* DataPointer;

void RestoreData(const DataLabel& label);
int32_t ReadDataInt();
float ReadDataFloat();
double ReadDataDouble();
String ReadDataString();

}  // namespace vtl
