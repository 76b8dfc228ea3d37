/// \file
/// Free forms of the stream operations: each forwards to the stream given
/// first (the Null object raises TNullObjectException).
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"
#include "stream/basic_stream.h"

namespace vtl {

/// TIO operations: each calls the method of the same name on s.
///@{
inline int32_t Eof(const Ref<TIO>& s) { return s->Eof(); }
inline int32_t Pos(const Ref<TIO>& s) { return s->Pos(); }
inline int32_t Size(const Ref<TIO>& s) { return s->Size(); }
inline int32_t Seek(const Ref<TIO>& s, int32_t pos) { return s->Seek(pos); }
inline void Flush(const Ref<TIO>& s) { s->Flush(); }
inline void Close(const Ref<TIO>& s) { s->Close(); }
inline int32_t Read(const Ref<TIO>& s, void* buf, int32_t count) { return s->Read(buf, count); }
inline int32_t Write(const Ref<TIO>& s, const void* buf, int32_t count) { return s->Write(buf, count); }
///@}

/// TStream operations: each calls the method of the same name on s.
///@{
inline int32_t ReadBytes(const Ref<TStream>& s, void* buf, int32_t count) { return s->ReadBytes(buf, count); }
inline int32_t WriteBytes(const Ref<TStream>& s, const void* buf, int32_t count) { return s->WriteBytes(buf, count); }
inline int32_t SkipBytes(const Ref<TStream>& s, int32_t count) { return s->SkipBytes(count); }
inline uint8_t ReadByte(const Ref<TStream>& s) { return s->ReadByte(); }
inline void WriteByte(const Ref<TStream>& s, int32_t n) { s->WriteByte(n); }
inline uint16_t ReadShort(const Ref<TStream>& s) { return s->ReadShort(); }
inline void WriteShort(const Ref<TStream>& s, int32_t n) { s->WriteShort(n); }
inline int32_t ReadInt(const Ref<TStream>& s) { return s->ReadInt(); }
inline void WriteInt(const Ref<TStream>& s, int32_t n) { s->WriteInt(n); }
inline int64_t ReadLong(const Ref<TStream>& s) { return s->ReadLong(); }
inline void WriteLong(const Ref<TStream>& s, int64_t n) { s->WriteLong(n); }
inline float ReadFloat(const Ref<TStream>& s) { return s->ReadFloat(); }
inline void WriteFloat(const Ref<TStream>& s, float f) { s->WriteFloat(f); }
inline double ReadDouble(const Ref<TStream>& s) { return s->ReadDouble(); }
inline void WriteDouble(const Ref<TStream>& s, double d) { s->WriteDouble(d); }
inline String ReadLine(const Ref<TStream>& s) { return s->ReadLine(); }
inline int32_t WriteLine(const Ref<TStream>& s, const String& text) { return s->WriteLine(text); }
inline String ReadString(const Ref<TStream>& s, int32_t length) { return s->ReadString(length); }
inline void WriteString(const Ref<TStream>& s, const String& text) { s->WriteString(text); }
inline Ref<Object> ReadObject(const Ref<TStream>& s) { return s->ReadObject(); }
inline void WriteObject(const Ref<TStream>& s, const Ref<Object>& object) { s->WriteObject(object); }
///@}

}  // namespace vtl
