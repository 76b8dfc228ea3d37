#include "runtime/data_type.h"

#include "runtime/exceptions.h"

namespace vtl {

namespace {

Ref<TDataType>& Head() {
  static Ref<TDataType>* head = new Ref<TDataType>();  // registry lives until the process ends
  return *head;
}

}  // namespace

Ref<TDataType> TData::DataType() const { ThrowNullMethod(); }

TDataType::TDataType() {
  _succ = Head();
  Head() = Ref<TDataType>(this);
}

String TDataType::Tag() const { ThrowNullMethod(); }
Ref<Object> TDataType::ReadObject(const Ref<TStream>&) { ThrowNullMethod(); }
void TDataType::WriteObject(const Ref<Object>&, const Ref<TStream>&) { ThrowNullMethod(); }
void TDataType::ReadCyclicObject(const Ref<Object>&, const Ref<TStream>&) {}

Ref<TDataType> TDataType::Registered() { return Head(); }

}  // namespace vtl
