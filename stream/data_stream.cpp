#include "stream/data_stream.h"

#include <algorithm>

#include "runtime/exceptions.h"
#include "runtime/list.h"
#include "runtime/string_ops.h"

namespace vtl {

namespace {

constexpr int32_t kNullByte = 0;
constexpr int32_t kBackReference = 255;
constexpr int32_t kMaxTypes = 254;
constexpr int32_t kFirstObjects = 256;

[[noreturn]] void DataStreamError(const String& text) { RuntimeError("DataStream " + text); }

// Counts this stream's objects in progress; a graph deeper than MaxDepth
// would otherwise end in a C++ stack overflow on a hostile file.
class DepthGuard {
 public:
  explicit DepthGuard(int32_t& depth) : depth_(depth) {
    if (depth_ >= TDataStream::MaxDepth)
      DataStreamError("nests objects deeper than " + StringFromInt(TDataStream::MaxDepth));
    ++depth_;
  }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int32_t& depth_;
};

Ref<TDataType> RegisteredTypeWithTag(const String& tag) {
  for (Ref<TDataType> type = TDataType::Registered(); type; type = type->_succ)
    if (type->Tag() == tag) return type;
  return nullptr;
}

int32_t LongestRegisteredTag() {
  int32_t longest = 0;
  for (Ref<TDataType> type = TDataType::Registered(); type; type = type->_succ)
    longest = std::max(longest, type->Tag().Length());
  return longest;
}

}  // namespace

// --- TDataId ---

int32_t TDataId::Compare(const Ref<Object>& other) const {
  const TDataId* that = dynamic_cast<const TDataId*>(other.Get());
  if (!that) return Object::Compare(other);
  return id < that->id ? -1 : (id > that->id ? 1 : 0);
}

Ref<TDataId> TDataId::Create(int32_t id) {
  auto made = New<TDataId>();
  made->id = id;
  return made;
}

// --- TDataStream ---

TDataStream::TDataStream()
    : _datas(NewArray<Ref<Object>>({kFirstObjects})),
      _types(NewArray<Ref<TDataType>>({kMaxTypes + 2})),
      _dataMap(New<TMap>()),
      _typeMap(New<TMap>()) {}

Ref<TDataStream> TDataStream::WithStream(const Ref<TStream>& stream) {
  if (!stream) return nullptr;
  auto data = New<TDataStream>();
  data->SetStream(stream);
  return data;
}

void TDataStream::NeedBytes(int64_t count) {
  if (count <= 0) return;
  const int32_t pos = _stream->Pos();
  // A stream that does not know where it is (a pipe) can still tell whether
  // anything is left. Its reads past the end would give zeros, and a count
  // read as zero bytes after another would never run out.
  if (pos < 0) {
    if (_stream->Eof()) DataStreamError("ends inside an object");
    return;
  }
  if (pos + count > _stream->Size()) DataStreamError("ends inside an object");
}

uint8_t TDataStream::ReadByte() {
  NeedBytes(1);
  return _stream->ReadByte();
}
uint16_t TDataStream::ReadShort() {
  NeedBytes(2);
  return _stream->ReadShort();
}
int32_t TDataStream::ReadInt() {
  NeedBytes(4);
  return _stream->ReadInt();
}
int64_t TDataStream::ReadLong() {
  NeedBytes(8);
  return _stream->ReadLong();
}
float TDataStream::ReadFloat() {
  NeedBytes(4);
  return _stream->ReadFloat();
}
double TDataStream::ReadDouble() {
  NeedBytes(8);
  return _stream->ReadDouble();
}
int32_t TDataStream::ReadBytes(void* buf, int32_t count) {
  NeedBytes(count);
  return _stream->ReadBytes(buf, count);
}
String TDataStream::ReadString(int32_t length) {
  NeedBytes(length);
  return _stream->ReadString(length);
}
void TDataStream::WriteLong(int64_t n) { _stream->WriteLong(n); }

void TDataStream::WriteObject(const Ref<Object>& object) {
  Ref<TData> data = DowncastObject<TData>(object);
  if (!data) {
    WriteByte(kNullByte);
    return;
  }
  if (Ref<TDataId> number = DowncastObject<TDataId>(_dataMap->ValueForKey(object))) {
    WriteByte(kBackReference);
    WriteInt(number->id);
    return;
  }
  Ref<TDataType> type = data->DataType();
  const String tag = type->Tag();
  if (Ref<TDataId> typeNumber = DowncastObject<TDataId>(_typeMap->ValueForKey(tag))) {
    WriteByte(typeNumber->id);
  } else {
    if (_typeId >= kMaxTypes) RuntimeError("Too many DataTypes");
    _typeMap->Insert(tag, TDataId::Create(++_typeId));
    WriteByte(_typeId);
    WriteLine(tag);
  }
  DepthGuard guard(_depth);
  _dataMap->Insert(object, TDataId::Create(++_dataId));
  type->WriteObject(object, Ref<TStream>(this));
}

Ref<Object> TDataStream::ReadObject() {
  const int32_t b = ReadByte();
  if (b == kNullByte) return nullptr;
  if (b == kBackReference) {
    const int32_t n = ReadInt();
    if (n < 1 || n > _dataId) DataStreamError("refers to object " + StringFromInt(n) + " before reading it");
    return (*_datas)[n - 1];  // Null while that object is still being read
  }
  if (_depth > 0) return ReadNewObject(b);
  // The outermost read: objects read by a failed call never reach the
  // caller, so cycles among them are broken here or they would never be freed.
  const int32_t before = _dataId;
  try {
    return ReadNewObject(b);
  } catch (...) {
    BreakListCycles(before);
    throw;
  }
}

Ref<Object> TDataStream::ReadNewObject(int32_t typeNumber) {
  Ref<TDataType> type = TypeForNumber(typeNumber);
  DepthGuard guard(_depth);
  const int32_t n = ++_dataId;
  if (n > _datas->Length()) {
    auto grown = NewArray<Ref<Object>>({_datas->Length() * 2});
    for (int32_t i = 0; i < _datas->Length(); ++i) (*grown)[i] = (*_datas)[i];
    _datas = grown;
  }
  Ref<Object> object = type->ReadObject(Ref<TStream>(this));
  if (!object) DataStreamError("holds a damaged " + type->Tag());
  (*_datas)[n - 1] = object;
  type->ReadCyclicObject(object, Ref<TStream>(this));
  return object;
}

Ref<TDataType> TDataStream::TypeForNumber(int32_t typeNumber) {
  if (typeNumber <= _typeId) return (*_types)[typeNumber];
  // A writer numbers types in order of first use, so any other new number
  // is damage, not a type whose tag follows.
  if (typeNumber != _typeId + 1) DataStreamError("uses type " + StringFromInt(typeNumber) + " before giving its tag");
  NeedBytes(1);
  // A line longer than every tag and its carriage return names no type,
  // however long the source would make it: reading stops there.
  int32_t ended = 0;
  const String tag = ReadLineUpTo(LongestRegisteredTag() + 2, ended);
  Ref<TDataType> type = ended ? RegisteredTypeWithTag(tag) : nullptr;
  if (!type) RuntimeError("Unrecognized DataType: " + tag);
  (*_types)[typeNumber] = type;
  _typeId = typeNumber;
  return type;
}

void TDataStream::BreakListCycles(int32_t after) {
  for (int32_t n = after + 1; n <= _dataId && n <= _datas->Length(); ++n)
    if (Ref<TList> list = DowncastObject<TList>((*_datas)[n - 1])) list->Clear();
}

// --- the "data" factory ---

Ref<TStream> TDataStreamFactory::CreateStream(const Ref<Object>&, const String& protocol, const String& path,
                                              int32_t readable, int32_t writeable) {
  if (protocol != "data") return nullptr;
  if (readable && writeable) RuntimeError("DataStreams can not be both readable and writeable");
  return TDataStream::WithStream(OpenStreamUrl(path, readable, writeable));
}

// --- lists ---

String TListDataType::Tag() const { return "VTL.List.TList"; }

Ref<Object> TListDataType::ReadObject(const Ref<TStream>&) { return New<TList>(); }

void TListDataType::WriteObject(const Ref<Object>& object, const Ref<TStream>& stream) {
  Ref<TList> list = DowncastObject<TList>(object);
  stream->WriteInt(list->Count());
  for (Ref<TLink> link = list->FirstLink(); link; link = link->NextLink()) stream->WriteObject(link->_value);
}

void TListDataType::ReadCyclicObject(const Ref<Object>& object, const Ref<TStream>& stream) {
  Ref<TList> list = DowncastObject<TList>(object);
  const int32_t count = stream->ReadInt();
  if (count < 0) DataStreamError("holds a list of " + StringFromInt(count) + " elements");
  // Every element takes at least one byte.
  if (Ref<TDataStream> data = DowncastObject<TDataStream>(stream)) data->NeedBytes(count);
  for (int32_t i = 0; i < count; ++i) list->AddLast(stream->ReadObject());
}

}  // namespace vtl
