#include "stream/data_stream.h"

#include <algorithm>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "runtime/exceptions.h"
#include "runtime/list.h"
#include "runtime/string_ops.h"
#include "stream/bank_stream.h"
#include "stream/c_stream.h"
#include "stream/internal/data_stream_blocks.h"
#include "stream/ram_stream.h"

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

namespace {

// Streams whose typed reads and writes are their raw bytes in the streams'
// little-endian order, read and written as a file is: the only ones an
// object stream reads ahead of or writes behind. Exact types, as a class
// derived from them may store numbers its own way.
bool HoldsRawBytes(const TStream& stream) {
  const std::type_info& type = typeid(stream);
  return type == typeid(TCStream) || type == typeid(TRamStream) || type == typeid(TBankStream);
}

// A memory block refuses bytes past its end at once; the write that fails
// must fail where it did, so only streams that grow or buffer anyway have
// their writes held back.
bool TakesHeldBackWrites(const TStream& stream) {
  const std::type_info& type = typeid(stream);
  return type == typeid(TCStream) || type == typeid(TBankStream);
}

}  // namespace

TDataStream::TDataStream()
    : _datas(NewArray<Ref<Object>>({kFirstObjects})),
      _types(NewArray<Ref<TDataType>>({kMaxTypes + 2})),
      _dataMap(New<TMap>()),
      _typeMap(New<TMap>()),
      blocks_(std::make_unique<Blocks>()) {}

TDataStream::~TDataStream() = default;

Ref<TDataStream> TDataStream::WithStream(const Ref<TStream>& stream) {
  if (!stream) return nullptr;
  auto data = New<TDataStream>();
  data->SetStream(stream);
  return data;
}

void TDataStream::NeedBytes(int64_t count) {
  if (count <= 0 || count <= blocks_->Left()) return;
  const int32_t pos = Pos();
  // A stream that does not know where it is (a pipe) can still tell whether
  // anything is left. Its reads past the end would give zeros, and a count
  // read as zero bytes after another would never run out.
  if (pos < 0) {
    if (Eof()) DataStreamError("ends inside an object");
    return;
  }
  if (pos + count > Size()) DataStreamError("ends inside an object");
}

// --- reading through the read-ahead ---

bool TDataStream::Buffering() const { return blocks_->readAhead || blocks_->Left() > 0; }

void TDataStream::TakeBytes(void* to, int32_t count) {
  if (count <= 0) return;
  Blocks& b = *blocks_;
  if (b.Left() < count && b.readAhead && count <= Blocks::kMostAhead) b.Fill(*_stream, count);
  const int32_t taken = b.Take(to, count);
  if (taken < count) _stream->ReadBytes(static_cast<uint8_t*>(to) + taken, count - taken);
}

template <class T, class Forward>
T TDataStream::ReadValue(Forward forward) {
  NeedBytes(sizeof(T));
  if (!Buffering()) return forward();
  T value{};
  TakeBytes(&value, sizeof value);
  return value;
}

uint8_t TDataStream::ReadByte() {
  return ReadValue<uint8_t>([this] { return _stream->ReadByte(); });
}
uint16_t TDataStream::ReadShort() {
  return ReadValue<uint16_t>([this] { return _stream->ReadShort(); });
}
int32_t TDataStream::ReadInt() {
  return ReadValue<int32_t>([this] { return _stream->ReadInt(); });
}
int64_t TDataStream::ReadLong() {
  return ReadValue<int64_t>([this] { return _stream->ReadLong(); });
}
float TDataStream::ReadFloat() {
  return ReadValue<float>([this] { return _stream->ReadFloat(); });
}
double TDataStream::ReadDouble() {
  return ReadValue<double>([this] { return _stream->ReadDouble(); });
}
int32_t TDataStream::ReadBytes(void* buf, int32_t count) {
  NeedBytes(count);
  if (!Buffering()) return _stream->ReadBytes(buf, count);
  TakeBytes(buf, count);
  return count;
}
String TDataStream::ReadString(int32_t length) {
  NeedBytes(length);
  return Buffering() ? TStream::ReadString(length) : _stream->ReadString(length);
}
String TDataStream::ReadLine() { return Buffering() ? TStream::ReadLine() : _stream->ReadLine(); }
String TDataStream::ReadLineUpTo(int32_t maxLength, int32_t& ended) {
  return Buffering() ? TStream::ReadLineUpTo(maxLength, ended) : _stream->ReadLineUpTo(maxLength, ended);
}

int32_t TDataStream::Read(void* buf, int32_t count) {
  Blocks& b = *blocks_;
  if (b.Left() == 0 && b.readAhead && count > 0 && count < b.chunk) b.Fill(*_stream, 1);
  if (b.Left() > 0) return b.Take(buf, count);
  return _stream->Read(buf, count);
}

int32_t TDataStream::Eof() {
  WriteHeldBack();
  return blocks_->Left() > 0 ? 0 : _stream->Eof();
}

int32_t TDataStream::Pos() {
  WriteHeldBack();
  const int32_t pos = _stream->Pos();
  return pos >= 0 ? pos - blocks_->Left() : pos;
}

int32_t TDataStream::Size() {
  WriteHeldBack();
  return _stream->Size();
}

int32_t TDataStream::Seek(int32_t pos) {
  WriteHeldBack();
  blocks_->Drop();
  return _stream->Seek(pos);
}

void TDataStream::Flush() {
  WriteHeldBack();
  _stream->Flush();
}

void TDataStream::Close() {
  GiveBackReadAhead();
  WriteHeldBack();
  _stream->Close();
}

// The wrapped stream goes back to where the objects' bytes end. Should it not
// go back, the bytes stay here for this stream's next reads.
void TDataStream::GiveBackReadAhead() noexcept {
  Blocks& b = *blocks_;
  if (b.Left() == 0 || !_stream) return;
  try {
    const int32_t pos = _stream->Pos();
    const int32_t back = pos - b.Left();
    if (pos >= 0 && _stream->Seek(back) == back) b.Drop();
  } catch (...) {
    // The bytes stay.
  }
}

// --- writing through the held-back block ---

// Empties the block before handing it on, so that a write that fails is not
// tried again by the close that follows.
void TDataStream::WriteHeldBack() {
  std::vector<uint8_t>& behind = blocks_->behind;
  if (behind.empty()) return;
  std::vector<uint8_t> bytes;
  bytes.swap(behind);
  _stream->WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
  bytes.clear();
  behind.swap(bytes);  // keeps the block's memory for the next writes
}

int32_t TDataStream::Write(const void* buf, int32_t count) {
  Blocks& b = *blocks_;
  if (!b.writeBehind || count <= 0) return _stream->Write(buf, count);
  b.Put(buf, count);
  if (b.behind.size() >= Blocks::kMostBehind) WriteHeldBack();
  return count;
}

template <class Forward, class Held>
void TDataStream::WriteValue(Forward forward, Held held) {
  if (blocks_->writeBehind)
    held();
  else
    forward();
}

void TDataStream::WriteByte(int32_t n) {
  WriteValue([&] { _stream->WriteByte(n); }, [&] { TStream::WriteByte(n); });
}
void TDataStream::WriteShort(int32_t n) {
  WriteValue([&] { _stream->WriteShort(n); }, [&] { TStream::WriteShort(n); });
}
void TDataStream::WriteInt(int32_t n) {
  WriteValue([&] { _stream->WriteInt(n); }, [&] { TStream::WriteInt(n); });
}
void TDataStream::WriteLong(int64_t n) {
  WriteValue([&] { _stream->WriteLong(n); }, [&] { TStream::WriteLong(n); });
}
void TDataStream::WriteFloat(float f) {
  WriteValue([&] { _stream->WriteFloat(f); }, [&] { TStream::WriteFloat(f); });
}
void TDataStream::WriteDouble(double d) {
  WriteValue([&] { _stream->WriteDouble(d); }, [&] { TStream::WriteDouble(d); });
}
void TDataStream::WriteString(const String& text) {
  WriteValue([&] { _stream->WriteString(text); }, [&] { TStream::WriteString(text); });
}
int32_t TDataStream::WriteLine(const String& text) {
  return blocks_->writeBehind ? TStream::WriteLine(text) : _stream->WriteLine(text);
}

// --- objects ---

void TDataStream::WriteObject(const Ref<Object>& object) {
  Blocks& b = *blocks_;
  if (b.writing) return WriteObjectHere(object);
  b.writing = true;
  b.writeBehind = _stream && TakesHeldBackWrites(*_stream);
  try {
    WriteObjectHere(object);
  } catch (...) {
    b.writing = b.writeBehind = false;
    // What was written before the failure reaches the stream, as it would
    // have without the block; the first error is the one reported.
    try {
      WriteHeldBack();
    } catch (...) {
    }
    throw;
  }
  b.writing = b.writeBehind = false;
  WriteHeldBack();
}

void TDataStream::WriteObjectHere(const Ref<Object>& object) {
  Ref<TData> data = DowncastObject<TData>(object);
  if (!data) {
    WriteByte(kNullByte);
    return;
  }
  std::unordered_map<const Object*, int32_t>& written = blocks_->written;
  if (const auto found = written.find(object.Get()); found != written.end()) {
    WriteByte(kBackReference);
    WriteInt(found->second);
    return;
  }
  Ref<TDataType> type = data->DataType();
  WriteTypeNumber(type);
  DepthGuard guard(_depth);
  const int32_t n = ++_dataId;
  MakeRoomForObject(n);
  (*_datas)[n - 1] = object;
  written.emplace(object.Get(), n);
  type->WriteObject(object, Ref<TStream>(this));
}

// Types are numbered by tag, so two type objects with one tag share a
// number; each type object's tag is asked for once.
void TDataStream::WriteTypeNumber(const Ref<TDataType>& type) {
  auto& known = blocks_->writtenTypes;
  if (const auto found = known.find(type.Get()); found != known.end()) {
    WriteByte(found->second.second);
    return;
  }
  const String tag = type->Tag();
  if (Ref<TDataId> typeNumber = DowncastObject<TDataId>(_typeMap->ValueForKey(tag))) {
    known.emplace(type.Get(), std::make_pair(type, typeNumber->id));
    WriteByte(typeNumber->id);
    return;
  }
  if (_typeId >= kMaxTypes) RuntimeError("Too many DataTypes");
  _typeMap->Insert(tag, TDataId::Create(++_typeId));
  (*_types)[_typeId] = type;
  known.emplace(type.Get(), std::make_pair(type, _typeId));
  WriteByte(_typeId);
  WriteLine(tag);
}

void TDataStream::MakeRoomForObject(int32_t number) {
  if (number <= _datas->Length()) return;
  auto grown = NewArray<Ref<Object>>({_datas->Length() * 2});
  for (int32_t i = 0; i < _datas->Length(); ++i) (*grown)[i] = (*_datas)[i];
  _datas = grown;
}

Ref<Object> TDataStream::ReadObject() {
  Blocks& b = *blocks_;
  if (b.reading) return ReadObjectHere();
  b.reading = true;
  b.readAhead = _stream && HoldsRawBytes(*_stream) && _stream->Pos() >= 0;
  b.chunk = Blocks::kFirstAhead;
  Ref<Object> object;
  try {
    object = ReadObjectHere();
  } catch (...) {
    b.reading = b.readAhead = false;
    GiveBackReadAhead();
    throw;
  }
  b.reading = b.readAhead = false;
  GiveBackReadAhead();
  return object;
}

Ref<Object> TDataStream::ReadObjectHere() {
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
  MakeRoomForObject(n);
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
