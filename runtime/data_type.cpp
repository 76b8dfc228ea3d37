#include "runtime/data_type.h"

#include "runtime/exceptions.h"
#include "runtime/registry.h"

namespace vtl {

namespace {

Registry<TDataType>& DataTypes() {
  static auto* chain = new Registry<TDataType>();  // lives until the process ends
  return *chain;
}

}  // namespace

Ref<TDataType> TData::DataType() const { ThrowNullMethod(); }

TDataType::TDataType() { DataTypes().Add(Ref<TDataType>(this)); }

String TDataType::Tag() const { ThrowNullMethod(); }
Ref<Object> TDataType::ReadObject(const Ref<TStream>&) { ThrowNullMethod(); }
void TDataType::WriteObject(const Ref<Object>&, const Ref<TStream>&) { ThrowNullMethod(); }
void TDataType::ReadCyclicObject(const Ref<Object>&, const Ref<TStream>&) {}

Ref<TDataType> TDataType::Registered() { return DataTypes().Head(); }

}  // namespace vtl
