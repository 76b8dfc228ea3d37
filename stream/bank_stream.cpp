#include "stream/bank_stream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "runtime/exceptions.h"

namespace vtl {

int32_t TBankStream::Eof() { return _pos >= _bank->Size(); }
int32_t TBankStream::Pos() { return _pos; }
int32_t TBankStream::Size() { return _bank->Size(); }

int32_t TBankStream::Seek(int32_t pos) {
  _pos = std::clamp(pos, 0, _bank->Size());
  return _pos;
}

int32_t TBankStream::Read(void* buf, int32_t count) {
  const int32_t size = _bank->Size();
  if (count < 1 || _pos >= size) return 0;
  const int32_t n = std::min(count, size - _pos);
  std::memmove(buf, _bank->Buf() + _pos, static_cast<size_t>(n));  // memmove: buf may lie in the bank
  _pos += n;
  return n;
}

int32_t TBankStream::Write(const void* buf, int32_t count) {
  if (count < 1 || _pos > _bank->Size()) return 0;
  if (count > INT32_MAX - _pos) {
    RuntimeError(String::FromText("Bank stream write of " + std::to_string(count) + " bytes at " +
                                  std::to_string(_pos) + " would pass 2147483647 bytes"));
  }
  if (_pos + count > _bank->Size()) {
    // Growing may move the bank's memory; bytes taken from that memory are
    // found again at the same offset in the new one.
    const auto from = reinterpret_cast<uintptr_t>(buf), start = reinterpret_cast<uintptr_t>(_bank->Buf());
    const bool inside = _bank->Buf() && from >= start && from < start + static_cast<uintptr_t>(_bank->Size());
    _bank->Resize(_pos + count);
    if (inside) buf = _bank->Buf() + (from - start);
  }
  std::memmove(_bank->Buf() + _pos, buf, static_cast<size_t>(count));
  _pos += count;
  return count;
}

Ref<TBankStream> TBankStream::Create(const Ref<TBank>& bank) {
  auto stream = New<TBankStream>();
  stream->_bank = bank ? bank : TBank::Create(0);
  return stream;
}

Ref<TStream> TBankStreamFactory::CreateStream(const Ref<Object>& url, const String&, const String&, int32_t, int32_t) {
  if (Ref<TBank> bank = DowncastObject<TBank>(url)) return TBankStream::Create(bank);
  return nullptr;
}

}  // namespace vtl
