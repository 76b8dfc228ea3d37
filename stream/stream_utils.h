/// \file
/// Whole-file helpers over URLs, and copying between streams.
#pragma once

#include <cstdint>

#include "runtime/array.h"
#include "runtime/string.h"
#include "stream/basic_stream.h"

namespace vtl {

/// Every byte the url holds. Raises TStreamReadException when it cannot be
/// opened. The stream is closed afterwards.
///@{
Ref<Array<uint8_t>> LoadBytesUrl(const Ref<Object>& url);
Ref<Array<uint8_t>> LoadBytesUrl(const String& url);
///@}
/// The bytes as text, one character per byte.
///@{
String LoadTextUrl(const Ref<Object>& url);
String LoadTextUrl(const String& url);
///@}
/// Writes one byte per character (the low 8 bits). Raises
/// TStreamWriteException when the url cannot be opened for writing.
///@{
void SaveTextUrl(const String& text, const Ref<Object>& url);
void SaveTextUrl(const String& text, const String& url);
///@}
/// Writes the bytes. Raises TStreamWriteException when the url cannot be
/// opened for writing.
///@{
void SaveBytesUrl(const Ref<Array<uint8_t>>& bytes, const Ref<Object>& url);
void SaveBytesUrl(const Ref<Array<uint8_t>>& bytes, const String& url);
///@}

/// Copies until the source reports its end. A buffer size that is not
/// positive means the default.
void CopyStreamData(const Ref<TStream>& from, const Ref<TStream>& to, int32_t bufSize = 4096);
/// Copies count bytes in chunks of at most bufSize; stops early if the
/// source ends first, so nothing is written that was not read.
void CopyStreamBytes(const Ref<TStream>& from, const Ref<TStream>& to, int32_t count, int32_t bufSize = 4096);

}  // namespace vtl
