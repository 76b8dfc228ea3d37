#include "runtime/class_record.h"
#include "runtime/list.h"
#include "runtime/module.h"
#include "stream/stream.h"

namespace vtl {

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
  ClassBuilder<TStreamFactory, Object>("TStreamFactory").Field<&TStreamFactory::_succ>("_succ").Register();
  ClassBuilder<TRamStreamFactory, TStreamFactory>("TRamStreamFactory").Register();
  ClassBuilder<TXEndianStreamFactory, TStreamFactory>("TXEndianStreamFactory").Register();
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

  New<TRamStreamFactory>();
  New<TXEndianStreamFactory>();
  New<TDataStreamFactory>();
  ListDataType = New<TListDataType>();
}

}  // namespace vtl
