/// \file
/// Data statements: blocks of tagged constants compiled into the program and
/// read one after another through a single read position.
///
///     constexpr vtl::DataItem kLevels[] = {1, 2, 2.75f, "$1F", vtl::EndOfData};
///     constexpr vtl::DataLabel Levels{kLevels};       // label at the first item
///     constexpr vtl::DataLabel Second{kLevels, 1};    // label at the second
///     vtl::RestoreData(Levels);
///     int32_t a = vtl::ReadDataInt();                 // 1
///
/// Each item's tag decides how it converts, whatever type is asked for.
/// Reading at the end marker throws TOutOfDataException and stays there.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/string.h"

namespace vtl {

/// One constant of a data block: a tag and the value it names.
struct DataItem {
  /// 'b' byte, 's' short, 'i' int, 'f' float, 'd' double, '$' string; 0 ends the block.
  char tag = 0;
  union {
    int32_t i = 0;  ///< Bytes, shorts and ints.
    float f;        ///< Floats.
    double d;       ///< Doubles.
    const char* s;  ///< Literal text, read as String("...") reads it
  };

  /// The end marker (tag 0); see EndOfData.
  constexpr DataItem() = default;
  /// An item tagged by the type of its value, so that a braced list of
  /// literals makes a block.
  ///@{
  constexpr DataItem(int32_t v) : tag('i'), i(v) {}
  constexpr DataItem(float v) : tag('f'), f(v) {}
  constexpr DataItem(double v) : tag('d'), d(v) {}
  constexpr DataItem(const char* v) : tag('$'), s(v) {}
  ///@}

  /// An item tagged byte or short; it reads like an int.
  ///@{
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
  ///@}
};

/// The item that ends every data block.
inline constexpr DataItem EndOfData{};

/// A named position in a block. The block must end with EndOfData, which is
/// checked when the program is compiled.
class DataLabel {
 public:
  /// The label at item `index` of the block; the block must end with
  /// EndOfData and index must lie inside it, or the program does not compile.
  template <size_t N>
  consteval DataLabel(const DataItem (&items)[N], size_t index = 0) : item_(&items[index]) {
    if (items[N - 1].tag != 0) throw "a data block must end with EndOfData";
    if (index >= N) throw "data label beyond its block";
  }
  /// The item the label points at.
  constexpr const DataItem* Item() const { return item_; }

 private:
  const DataItem* item_;
};

/// The read position: the next item to read, or nullptr before any RestoreData.
extern const DataItem* DataPointer;

/// Moves the read position to the label.
void RestoreData(const DataLabel& label);

/// \name Reading
/// Each reads the item at the read position and moves on by one; at the end
/// marker (or before any RestoreData) they throw TOutOfDataException and the
/// position stays.
///@{

/// The item as an int: floating values truncate toward zero (TruncateToInt),
/// strings convert with StringToInt.
int32_t ReadDataInt();
/// ReadDataDouble rounded to float.
float ReadDataFloat();
/// The item as a double; strings convert with StringToFloat.
double ReadDataDouble();
/// The item as text: numbers as StringFromInt or StringFromFloat give them.
String ReadDataString();
///@}

}  // namespace vtl
