#include "runtime/class_record.h"
#include "runtime/list.h"
#include "runtime/module.h"
#include "stream/stream.h"

namespace vtl {

namespace {

void RegisterBankClasses() {
  ClassBuilder<TBank, TData>("TBank")
      .Field<&TBank::_size>("_size")
      .Field<&TBank::_capacity>("_capacity")
      .Field<&TBank::_locked>("_locked")
      .Method<&TBank::Unlock>("Unlock")
      .Method<&TBank::Size>("Size")
      .Method<&TBank::Capacity>("Capacity")
      .Method<&TBank::Resize>("Resize")
      .Method<&TBank::Read>("Read")
      .Method<&TBank::Write>("Write")
      .Method<&TBank::PeekByte>("PeekByte")
      .Method<&TBank::PokeByte>("PokeByte")
      .Method<&TBank::PeekShort>("PeekShort")
      .Method<&TBank::PokeShort>("PokeShort")
      .Method<&TBank::PeekInt>("PeekInt")
      .Method<&TBank::PokeInt>("PokeInt")
      .Method<&TBank::PeekLong>("PeekLong")
      .Method<&TBank::PokeLong>("PokeLong")
      .Method<&TBank::PeekFloat>("PeekFloat")
      .Method<&TBank::PokeFloat>("PokeFloat")
      .Method<&TBank::PeekDouble>("PeekDouble")
      .Method<&TBank::PokeDouble>("PokeDouble")
      .Method<static_cast<int32_t (TBank::*)(const Ref<Object>&)>(&TBank::Save)>("Save")
      .Function<static_cast<Ref<TBank> (*)(const Ref<Object>&)>(&TBank::Load)>("Load")
      .Function<&TBank::Create>("Create")
      .Register();
  ClassBuilder<TBankDataType, TDataType>("TBankDataType").Register();
  ClassBuilder<TBankStream, TStream>("TBankStream")
      .Field<&TBankStream::_pos>("_pos")
      .Field<&TBankStream::_bank>("_bank")
      .Function<&TBankStream::Create>("Create")
      .Register();
  ClassBuilder<TBankStreamFactory, TStreamFactory>("TBankStreamFactory").Register();
}

}  // namespace

void InitStream() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();

  ClassBuilder<TIO, Object>("TIO").Register();
  ClassBuilder<TStream, TIO>("TStream").Register();
  ClassBuilder<TStreamWrapper, TStream>("TStreamWrapper").Field<&TStreamWrapper::_stream>("_stream").Register();
  ClassBuilder<TStreamStream, TStreamWrapper>("TStreamStream").Function<&TStreamStream::Create>("Create").Register();
  ClassBuilder<TCStream, TStream>("TCStream")
      .Field<&TCStream::_pos>("_pos")
      .Field<&TCStream::_size>("_size")
      .Field<&TCStream::_mode>("_mode")
      .Constant("MODE_READ", TCStream::MODE_READ)
      .Constant("MODE_WRITE", TCStream::MODE_WRITE)
      .Function<&TCStream::OpenFile>("OpenFile")
      .Register();
  ClassBuilder<TRamStream, TStream>("TRamStream")
      .Field<&TRamStream::_pos>("_pos")
      .Field<&TRamStream::_size>("_size")
      .Field<&TRamStream::_read>("_read")
      .Field<&TRamStream::_write>("_write")
      .Register();
  ClassBuilder<TXEndianStream, TStreamWrapper>("TXEndianStream")
      .Function<&TXEndianStream::Create>("Create")
      .Function<&TXEndianStream::BigEndian>("BigEndian")
      .Function<&TXEndianStream::LittleEndian>("LittleEndian")
      .Register();
  ClassBuilder<TTextStream, TStreamWrapper>("TTextStream")
      .Field<&TTextStream::_encoding>("_encoding")
      .Field<&TTextStream::_bufcount>("_bufcount")
      .Constant("LATIN1", TTextStream::LATIN1)
      .Constant("UTF8", TTextStream::UTF8)
      .Constant("UTF16BE", TTextStream::UTF16BE)
      .Constant("UTF16LE", TTextStream::UTF16LE)
      .Function<&TTextStream::Create>("Create")
      .Register();
  ClassBuilder<TCStandardIO, TStream>("TCStandardIO").Register();
  ClassBuilder<TStreamFactory, Object>("TStreamFactory").Field<&TStreamFactory::_succ>("_succ").Register();
  ClassBuilder<TRamStreamFactory, TStreamFactory>("TRamStreamFactory").Register();
  ClassBuilder<TXEndianStreamFactory, TStreamFactory>("TXEndianStreamFactory").Register();
  ClassBuilder<TTextStreamFactory, TStreamFactory>("TTextStreamFactory").Register();
  ClassBuilder<TDataId, Object>("TDataId").Field<&TDataId::id>("id").Function<&TDataId::Create>("Create").Register();
  ClassBuilder<TDataStream, TStreamWrapper>("TDataStream")
      .Field<&TDataStream::_dataId>("_dataId")
      .Field<&TDataStream::_typeId>("_typeId")
      .Field<&TDataStream::_datas>("_datas")
      .Field<&TDataStream::_types>("_types")
      .Field<&TDataStream::_dataMap>("_dataMap")
      .Field<&TDataStream::_typeMap>("_typeMap")
      .Function<&TDataStream::WithStream>("WithStream")
      .Register();
  ClassBuilder<TDataStreamFactory, TStreamFactory>("TDataStreamFactory").Register();
  ClassBuilder<TListDataType, TDataType>("TListDataType").Register();
  ClassBuilder<TStreamException, Object>("TStreamException").Register();
  ClassBuilder<TStreamReadException, TStreamException>("TStreamReadException").Register();
  ClassBuilder<TStreamWriteException, TStreamException>("TStreamWriteException").Register();

  RegisterBankClasses();

  RegisterStreamFactory(New<TRamStreamFactory>());
  RegisterStreamFactory(New<TXEndianStreamFactory>());
  RegisterStreamFactory(New<TBankStreamFactory>());
  BankDataType = New<TBankDataType>();
  RegisterDataType(BankDataType);
  RegisterStreamFactory(New<TTextStreamFactory>());
  StandardIOStream = TTextStream::Create(New<TCStandardIO>(), TTextStream::UTF8);
  RegisterStreamFactory(New<TDataStreamFactory>());
  ListDataType = New<TListDataType>();
  RegisterDataType(ListDataType);
}

}  // namespace vtl
