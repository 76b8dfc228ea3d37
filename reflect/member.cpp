#include "reflect/member.h"

#include <array>
#include <cstddef>
#include <new>
#include <optional>
#include <span>
#include <typeinfo>
#include <utility>

#include "reflect/internal/direct_value.h"
#include "reflect/internal/tag_text.h"
#include "reflect/internal/value_text.h"
#include "reflect/type_id.h"
#include "runtime/exceptions.h"
#include "runtime/string_ops.h"
#include "runtime/type_tag.h"

namespace vtl {

TMember::~TMember() = default;

Ref<TTypeId> TMember::TypeId() const { return _typeId; }

String TMember::MetaData(const String& key) const { return detail::MetaDataValue(_meta, key); }

namespace {

String MemberText(const char* kind, const String& name, const String& owner) {
  return String(kind) + " '" + name + "' of " + owner;
}

String TypeText(const Object& object) { return String::FromText(TypeNameOfObject(object)); }

}  // namespace

void TField::Init(const String& name, const Ref<TTypeId>& type, const String& meta, const Declaration& declaration,
                  const TTypeId& owner) {
  owner_ = owner._name;
  _name = name;
  _typeId = type;
  _meta = meta;
  _index = declaration.position;
  declaration_ = &declaration;
  valueTag_ = type->_valueTag;
}

// The record's accessors cast the object to the field's class; an object of
// another class is refused here instead of being read or written at random.
Value TField::ReadValue(const Ref<Object>& object) const {
  const Object& self = *object;
  if (!declaration_->get) ThrowNullFunction();
  try {
    return declaration_->get(self);
  } catch (const std::bad_cast&) {
    RuntimeError("ERROR",
                 SlotText() + " cannot be read from the given " + TypeText(self) + ", which is not a " + owner_);
  }
}

Ref<Object> TField::Get(const Ref<Object>& object) const {
  return detail::ValueToObject(_typeId->_valueTag, ReadValue(object));
}

namespace {

// The typed reads of pairs that need the text: the value as Get gives it, read back.
template <class T>
T ReadText(char valueTag, const Value& value, T (*parse)(const String&)) {
  return parse(detail::TextOf(detail::ValueToObject(valueTag, value)));
}

}  // namespace

int32_t TField::GetInt(const Ref<Object>& object) const {
  const Value value = ReadValue(object);
  const char tag = valueTag_;
  if (std::optional<int64_t> n = detail::IntegerOf(tag, value)) return static_cast<int32_t>(*n);
  return ReadText(tag, value, &StringToInt);
}

int64_t TField::GetLong(const Ref<Object>& object) const {
  const Value value = ReadValue(object);
  const char tag = valueTag_;
  if (std::optional<int64_t> n = detail::IntegerOf(tag, value)) return *n;
  return ReadText(tag, value, &StringToLong);
}

float TField::GetFloat(const Ref<Object>& object) const {
  const Value value = ReadValue(object);
  const char tag = valueTag_;
  if (std::optional<float> x = detail::FloatOf(tag, value)) return *x;
  return ReadText(tag, value, &StringToFloat);
}

double TField::GetDouble(const Ref<Object>& object) const {
  const Value value = ReadValue(object);
  const char tag = valueTag_;
  if (std::optional<double> x = detail::DoubleOf(tag, value)) return *x;
  return ReadText(tag, value, &StringToDouble);
}

String TField::GetString(const Ref<Object>& object) const { return AsString(Get(object)).value_or(String()); }

void TField::Set(const Ref<Object>& object, const Ref<Object>& value) const {
  Object& self = *object;
  if (!declaration_->set) ThrowNullFunction();
  Store(self, detail::ObjectToValue(*_typeId, value, [this] { return SlotText(); }), value);
}

void TField::SetDirect(const Ref<Object>& object, const Value& value) const {
  Object& self = *object;
  if (!declaration_->set) ThrowNullFunction();
  Store(self, value, nullptr);
}

void TField::Store(Object& self, const Value& converted, const Ref<Object>& given) const {
  try {
    declaration_->set(self, converted);
  } catch (const std::bad_cast&) {
    RuntimeError("ERROR",
                 SlotText() + " cannot be written in the given " + TypeText(self) + ", which is not a " + owner_);
  } catch (const ThrownObject& thrown) {
    // The C++ field may be stricter than its type: an array of a derived
    // class has a type that extends the base's array type, yet it is no C++
    // array of the base class.
    if (!given || !DowncastObject<TRuntimeException>(thrown.object)) throw;
    RuntimeError("ERROR", SlotText() + " takes " + _typeId->_name + "; the given " + TypeText(*given) +
                              " does not fit its C++ type: an array of a derived class is not an array of its base");
  }
}

String TField::SlotText() const { return MemberText("Field", _name, owner_); }

void TField::SetInt(const Ref<Object>& object, int32_t value) const {
  if (std::optional<Value> direct = detail::ValueOfInteger(_typeId->_valueTag, value))
    return SetDirect(object, *direct);
  Set(object, StringFromInt(value));
}

void TField::SetLong(const Ref<Object>& object, int64_t value) const {
  if (std::optional<Value> direct = detail::ValueOfInteger(_typeId->_valueTag, value))
    return SetDirect(object, *direct);
  Set(object, StringFromLong(value));
}

void TField::SetFloat(const Ref<Object>& object, float value) const {
  if (std::optional<Value> direct = detail::ValueOfFloat(_typeId->_valueTag, value)) return SetDirect(object, *direct);
  Set(object, StringFromFloat(value));
}

void TField::SetDouble(const Ref<Object>& object, double value) const {
  if (std::optional<Value> direct = detail::ValueOfDouble(_typeId->_valueTag, value)) return SetDirect(object, *direct);
  Set(object, StringFromDouble(value));
}

void TField::SetString(const Ref<Object>& object, const String& value) const { Set(object, value); }

namespace {

// A call passes at most this many 32-bit words, the object included.
constexpr int32_t kMaxCallWords = 8;

// The converted arguments of one call, made one by one: clearing room for
// the longest call on every call cost more than converting two arguments.
class CallArguments {
 public:
  CallArguments() = default;
  CallArguments(const CallArguments&) = delete;
  CallArguments& operator=(const CallArguments&) = delete;
  ~CallArguments() {
    for (size_t i = 0; i < count_; ++i) Data()[i].~Value();
  }

  void Add(Value value) {
    new (storage_ + count_ * sizeof(Value)) Value(std::move(value));
    ++count_;
  }
  std::span<const Value> Span() { return {Data(), count_}; }

 private:
  Value* Data() { return std::launder(reinterpret_cast<Value*>(storage_)); }

  alignas(Value) std::byte storage_[sizeof(Value) * (kMaxCallWords - 1)];  // each argument takes a word at least
  size_t count_ = 0;
};

int32_t WordsOf(const TTypeId& type) { return type._valueTag == 'l' || type._valueTag == 'd' ? 2 : 1; }

}  // namespace

void TMethod::Init(const String& name, const Ref<TTypeId>& result, const String& meta, const Ref<TTypeId>& self,
                   const Ref<Array<Ref<TTypeId>>>& argTypes, const Declaration& declaration) {
  _name = name;
  _typeId = result;
  _meta = meta;
  _selfTypeId = self;
  _index = declaration.position;
  _argTypes = argTypes;
  declaration_ = &declaration;
  words_ = 1;
  argTags_.fill(0);
  for (int32_t i = 0; i < argTypes->Length(); ++i) {
    const TTypeId& arg = *(*argTypes)[i];
    words_ += WordsOf(arg);
    if (i < static_cast<int32_t>(argTags_.size())) argTags_[static_cast<size_t>(i)] = arg._valueTag;
  }
}

Ref<Object> TMethod::Invoke(const Ref<Object>& object, const Ref<Array<Ref<Object>>>& arguments) const {
  if (words_ > kMaxCallWords) {
    RuntimeError("ERROR", MemberText("Method", _name, _selfTypeId->_name) + " needs " + StringFromInt(words_) +
                              " words of call, the object's included (Long and Double take two); at most " +
                              StringFromInt(kMaxCallWords) + " fit");
  }
  if (_typeId && _typeId->_valueTag == 'l') RuntimeError("TODO");
  const int32_t count = _argTypes->Length();
  const int32_t given = arguments ? arguments->Length() : 0;
  if (given != count) {
    RuntimeError("ERROR", MemberText("Method", _name, _selfTypeId->_name) + " " +
                              String::FromText(
                                  detail::ArgumentCountText(static_cast<size_t>(count), static_cast<size_t>(given))));
  }
  CallArguments values;
  for (int32_t i = 0; i < count; ++i) {
    const Ref<Object>& given = (*arguments)[i];
    // Numbers are read from their text straight into the argument's type.
    if (std::optional<Value> number = detail::NumberFromText(argTags_[static_cast<size_t>(i)], given)) {
      values.Add(std::move(*number));
      continue;
    }
    values.Add(detail::ObjectToValue(*(*_argTypes)[i], given, [&] {
      return "Argument " + StringFromInt(i + 1) + " of " + MemberText("method", _name, _selfTypeId->_name);
    }));
  }
  if (!declaration_->invoke) ThrowNullFunction();
  Value result = declaration_->invoke(object.Get(), values.Span());
  return _typeId ? detail::ValueToObject(_typeId->_valueTag, result) : nullptr;
}

}  // namespace vtl
