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

void TDataType::AfterNew(const Ref<TDataType>& made) { RegisterDataType(made); }

int32_t RegisterDataType(const Ref<TDataType>& type) { return DataTypes().Add(type) ? 1 : 0; }

String TDataType::Tag() const { ThrowNullMethod(); }
Ref<Object> TDataType::ReadObject(const Ref<TStream>&) { ThrowNullMethod(); }
void TDataType::WriteObject(const Ref<Object>&, const Ref<TStream>&) { ThrowNullMethod(); }
void TDataType::ReadCyclicObject(const Ref<Object>&, const Ref<TStream>&) {}

Ref<TDataType> TDataType::Registered() { return DataTypes().Head(); }

}  // namespace vtl
