#include "runtime/class_record.h"
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
  ClassBuilder<TStreamException, Object>("TStreamException").Register();
  ClassBuilder<TStreamReadException, TStreamException>("TStreamReadException").Register();
  ClassBuilder<TStreamWriteException, TStreamException>("TStreamWriteException").Register();

  New<TRamStreamFactory>();
  New<TXEndianStreamFactory>();
  New<TTextStreamFactory>();
  StandardIOStream = TTextStream::Create(New<TCStandardIO>(), TTextStream::UTF8);
}

}  // namespace vtl
