#include "stream/stream_wrapper.h"

namespace vtl {

void TStreamWrapper::SetStream(const Ref<TStream>& stream) { _stream = stream; }

int32_t TStreamWrapper::Eof() { return _stream->Eof(); }
int32_t TStreamWrapper::Pos() { return _stream->Pos(); }
int32_t TStreamWrapper::Size() { return _stream->Size(); }
int32_t TStreamWrapper::Seek(int32_t pos) { return _stream->Seek(pos); }
void TStreamWrapper::Flush() { _stream->Flush(); }
void TStreamWrapper::Close() { _stream->Close(); }
int32_t TStreamWrapper::Read(void* buf, int32_t count) { return _stream->Read(buf, count); }
int32_t TStreamWrapper::Write(const void* buf, int32_t count) { return _stream->Write(buf, count); }

uint8_t TStreamWrapper::ReadByte() { return _stream->ReadByte(); }
void TStreamWrapper::WriteByte(int32_t n) { _stream->WriteByte(n); }
uint16_t TStreamWrapper::ReadShort() { return _stream->ReadShort(); }
void TStreamWrapper::WriteShort(int32_t n) { _stream->WriteShort(n); }
int32_t TStreamWrapper::ReadInt() { return _stream->ReadInt(); }
void TStreamWrapper::WriteInt(int32_t n) { _stream->WriteInt(n); }
float TStreamWrapper::ReadFloat() { return _stream->ReadFloat(); }
void TStreamWrapper::WriteFloat(float f) { _stream->WriteFloat(f); }
double TStreamWrapper::ReadDouble() { return _stream->ReadDouble(); }
void TStreamWrapper::WriteDouble(double d) { _stream->WriteDouble(d); }
String TStreamWrapper::ReadLine() { return _stream->ReadLine(); }
String TStreamWrapper::ReadLineUpTo(int32_t maxLength, int32_t& ended) {
  return _stream->ReadLineUpTo(maxLength, ended);
}
int32_t TStreamWrapper::WriteLine(const String& text) { return _stream->WriteLine(text); }
String TStreamWrapper::ReadString(int32_t length) { return _stream->ReadString(length); }
void TStreamWrapper::WriteString(const String& text) { _stream->WriteString(text); }
Ref<Object> TStreamWrapper::ReadObject() { return _stream->ReadObject(); }
void TStreamWrapper::WriteObject(const Ref<Object>& object) { _stream->WriteObject(object); }

void TStreamStream::Close() { _stream = nullptr; }

Ref<TStreamStream> TStreamStream::Create(const Ref<TStream>& stream) {
  auto wrapper = New<TStreamStream>();
  wrapper->SetStream(stream);
  return wrapper;
}

}  // namespace vtl
