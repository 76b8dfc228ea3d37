#include "runtime/data_statements.h"

#include "runtime/exceptions.h"
#include "runtime/numeric.h"
#include "runtime/string_ops.h"

namespace vtl {

const DataItem* DataPointer = nullptr;

namespace {

// The item at the read position, which then moves on by exactly one item.
const DataItem& Take() {
  if (!DataPointer || DataPointer->tag == 0) ThrowOutOfData();
  return *DataPointer++;
}

}  // namespace

void RestoreData(const DataLabel& label) { DataPointer = label.Item(); }

int32_t ReadDataInt() {
  const DataItem& item = Take();
  switch (item.tag) {
    case 'f': return TruncateToInt(item.f);
    case 'd': return TruncateToInt(item.d);
    case '$': return StringToInt(item.s);
    default: return item.i;
  }
}

double ReadDataDouble() {
  const DataItem& item = Take();
  switch (item.tag) {
    case 'f': return item.f;
    case 'd': return item.d;
    case '$': return StringToFloat(item.s);
    default: return item.i;
  }
}

float ReadDataFloat() { return static_cast<float>(ReadDataDouble()); }

String ReadDataString() {
  const DataItem& item = Take();
  switch (item.tag) {
    case 'f': return StringFromFloat(item.f);
    case 'd': return StringFromFloat(static_cast<float>(item.d));
    case '$': return item.s;
    default: return StringFromInt(item.i);
  }
}

}  // namespace vtl
