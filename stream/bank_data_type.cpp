// Banks in object streams: the size as an int, then the bytes in use.
#include <string>

#include "runtime/exceptions.h"
#include "stream/bank.h"
#include "stream/internal/bank_fill.h"

namespace vtl {

Ref<TBankDataType> BankDataType;

String TBankDataType::Tag() const { return "VTL.Bank.TBank"; }

void TBankDataType::WriteObject(const Ref<Object>& object, const Ref<TStream>& stream) {
  Ref<TBank> bank = DowncastObject<TBank>(object);
  stream->WriteInt(bank->Size());
  stream->WriteBytes(bank->Buf(), bank->Size());
}

Ref<Object> TBankDataType::ReadObject(const Ref<TStream>& stream) {
  const int32_t size = stream->ReadInt();
  if (size < 0) RuntimeError(String::FromText("Bank record with a negative size: " + std::to_string(size)));
  Ref<TBank> bank = TBank::Create(0);
  const int32_t got = FillBankFromStream(*bank, *stream, size);
  if (got < size) {
    RuntimeError(
        String::FromText("Bank record of " + std::to_string(size) + " bytes ends after " + std::to_string(got)));
  }
  return bank;
}

}  // namespace vtl
