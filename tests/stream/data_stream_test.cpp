// Object streams: the exact bytes of the format, shared and cyclic
// references, every data type's round trip, and damaged or hostile input
// that must end in an object or a runtime error, never a crash.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstring>
#include <string>
#include <vector>

#include "data_samples.h"
#include "test_file_helpers.h"

namespace {

using vtl::DowncastObject;
using vtl::New;
using vtl::Ref;
using vtl::String;
using vtl::TDataStream;
using vtl::TList;
using vtl::TPixmap;
using vtl::test::Bytes;
using vtl::test::Put32;
using vtl::test::TSizelessSource;

class DataStreamTest : public ::testing::Test {
 protected:
  void SetUp() override { vtl::InitImage(); }

  // A reading object stream over a copy of the bytes.
  Ref<TDataStream> Reader(const Bytes& bytes) {
    held_.push_back(bytes);
    Bytes& copy = held_.back();
    return TDataStream::WithStream(vtl::TRamStream::Create(copy.data(), static_cast<int32_t>(copy.size()), 1, 0));
  }

  // The text of the runtime error that reading the first object raises; ""
  // when it reads an object, "<other>" for any other exception. With
  // sizeless, over a source that does not tell its size.
  std::string ReadError(const Bytes& bytes, bool sizeless = false) {
    Ref<TDataStream> stream = sizeless ? TDataStream::WithStream(New<TSizelessSource>(bytes)) : Reader(bytes);
    std::string error;
    try {
      stream->ReadObject();
    } catch (const vtl::ThrownObject& t) {
      error = DowncastObject<vtl::TRuntimeException>(t.object) ? t.what() : "<other>";
    }
    ClearListsRead(stream);
    return error;
  }

  // Lists read may hold themselves; clearing them lets the leak checker
  // see only real leaks.
  static void ClearListsRead(const Ref<TDataStream>& stream) {
    for (int32_t i = 0; i < stream->_dataId && i < stream->_datas->Length(); ++i)
      if (auto list = DowncastObject<TList>((*stream->_datas)[i])) list->Clear();
  }

  std::vector<Bytes> held_{};
};

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}
Bytes TagLine(const std::string& tag) {
  Bytes b(tag.begin(), tag.end());
  b.push_back(13);
  b.push_back(10);
  return b;
}
Bytes Int(uint32_t v) {
  Bytes b;
  Put32(b, v);
  return b;
}

// A data class with a type per tag, for the type-number limit.
class TTagged : public vtl::TData {
 public:
  Ref<vtl::TDataType> DataType() const override { return type; }
  Ref<vtl::TDataType> type;
};
class TTaggedType : public vtl::TDataType {
 public:
  String Tag() const override { return tag; }
  Ref<vtl::Object> ReadObject(const Ref<vtl::TStream>&) override { return New<TTagged>(); }
  void WriteObject(const Ref<vtl::Object>&, const Ref<vtl::TStream>&) override {}
  String tag;
};

// --- the format, byte by byte ---

TEST_F(DataStreamTest, NullAndObjectsThatAreNoDataWriteOneZeroByte) {
  EXPECT_EQ(vtl::test::WriteObjects({nullptr}), Bytes{0});
  EXPECT_EQ(vtl::test::WriteObjects({String("text")}), Bytes{0});
  EXPECT_EQ(Reader({0})->ReadObject(), nullptr);
}

TEST_F(DataStreamTest, APixmapWrittenTwiceIsATagAndRecordThenABackReference) {
  Ref<TPixmap> pixmap = vtl::test::PatternPixmap(2, 1, vtl::FMT_RGB888);
  const uint8_t* px = pixmap->PixelPtr(0, 0);
  const Bytes expected =
      Cat({{1}, TagLine("VTL.Pixmap.TPixmap"), Int(2), Int(1), Int(vtl::FMT_RGB888), Bytes(px, px + 6), {255}, Int(1)});
  const Bytes written = vtl::test::WriteObjects({pixmap, pixmap});
  EXPECT_EQ(written, expected);

  Ref<TDataStream> in = Reader(written);
  Ref<vtl::Object> first = in->ReadObject();
  EXPECT_EQ(in->ReadObject(), first);
  Ref<TPixmap> back = DowncastObject<TPixmap>(first);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(std::memcmp(back->PixelPtr(0, 0), px, 6), 0);
  EXPECT_EQ(in->_dataId, 1);
  EXPECT_EQ(in->_typeId, 1);
}

TEST_F(DataStreamTest, AListIsItsCountAndElementsAndTypesAreNumberedByFirstUse) {
  auto list = New<TList>();
  Ref<TPixmap> pixmap = vtl::test::PatternPixmap(1, 1, vtl::FMT_GREY8);
  list->AddLast(pixmap);
  list->AddLast(String("not data"));
  list->AddLast(pixmap);
  auto empty = New<TList>();
  list->AddLast(empty);
  const Bytes expected = Cat({{1},
                              TagLine("VTL.List.TList"),
                              Int(4),  // object 1
                              {2},
                              TagLine("VTL.Pixmap.TPixmap"),
                              Int(1),
                              Int(1),
                              Int(1),
                              {31},  // object 2
                              {0},   // the string
                              {255},
                              Int(2),  // the pixmap again
                              {1},
                              Int(0)});  // object 3
  EXPECT_EQ(vtl::test::WriteObjects({list}), expected);
}

TEST_F(DataStreamTest, IntsFollowTheByteOrderOfTheWrappedStream) {
  std::vector<uint8_t> buffer(64);
  auto ram = vtl::TRamStream::Create(buffer.data(), 64, 1, 1);
  auto list = New<TList>();
  list->AddLast(list);
  TDataStream::WithStream(vtl::BigEndianView(ram))->WriteObject(list);
  list->Clear();
  buffer.resize(static_cast<size_t>(ram->Pos()));
  EXPECT_EQ(buffer, Cat({{1}, TagLine("VTL.List.TList"), {0, 0, 0, 1}, {255, 0, 0, 0, 1}}));
}

TEST_F(DataStreamTest, ABankIsItsSizeAndItsBytes) {
  Ref<vtl::TBank> bank = vtl::TBank::Create(3);
  bank->PokeByte(0, 0xAB);
  bank->PokeByte(1, 0x00);
  bank->PokeByte(2, 0x7F);
  Ref<vtl::TBank> file = vtl::TBank::Create(0);
  TDataStream::WithStream(vtl::TBankStream::Create(file))->WriteObject(bank);
  const Bytes written(file->Buf(), file->Buf() + file->Size());
  EXPECT_EQ(written, Cat({{1}, TagLine("VTL.Bank.TBank"), Int(3), {0xAB, 0x00, 0x7F}}));
  auto back = DowncastObject<vtl::TBank>(Reader(written)->ReadObject());
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->Size(), 3);
  EXPECT_EQ(Bytes(back->Buf(), back->Buf() + 3), Bytes({0xAB, 0x00, 0x7F}));
  // A record announcing more than the stream holds is an error, not a big bank.
  EXPECT_NE(ReadError(Cat({{1}, TagLine("VTL.Bank.TBank"), Int(0x7FFFFFFF), {1, 2, 3}})), "");
}

TEST_F(DataStreamTest, UnknownTagsAndTheTypeLimit) {
  EXPECT_EQ(ReadError(Cat({{1}, TagLine("No.Such.Type"), Int(0)})), "Unrecognized DataType: No.Such.Type");

  // 254 distinct types fit in the type byte, the 255th does not.
  std::vector<Ref<vtl::Object>> objects;
  for (int i = 0; i < 255; ++i) {
    auto type = New<TTaggedType>();
    type->tag = String("Test.Tagged.") + vtl::StringFromInt(i);
    auto object = New<TTagged>();
    object->type = type;
    objects.push_back(object);
  }
  std::vector<uint8_t> buffer(1 << 14);
  auto ram = vtl::TRamStream::Create(buffer.data(), static_cast<int32_t>(buffer.size()), 1, 1);
  auto out = TDataStream::WithStream(ram);
  for (int i = 0; i < 254; ++i) out->WriteObject(objects[i]);
  try {
    out->WriteObject(objects[254]);
    ADD_FAILURE() << "the 255th type was written";
  } catch (const vtl::ThrownObject& t) {
    EXPECT_STREQ(t.what(), "Too many DataTypes");
  }
  // All 254 read back, the last with the type byte 254.
  buffer.resize(static_cast<size_t>(ram->Pos()));
  Ref<TDataStream> in = Reader(buffer);
  for (int i = 0; i < 254; ++i) EXPECT_NE(DowncastObject<TTagged>(in->ReadObject()), nullptr);
  EXPECT_EQ(in->_typeId, 254);
}

TEST_F(DataStreamTest, TheDataFactoryOpensOneDirectionAtATime) {
  const std::string path = vtl::test::TempPath("objects.dat");
  auto list = New<TList>();
  list->AddLast(vtl::test::PatternPixmap(2, 2, vtl::FMT_BGRA8888));
  {
    Ref<vtl::TStream> out = vtl::OpenWriteStream(String("data::") + String(path.c_str()));
    ASSERT_NE(DowncastObject<TDataStream>(out), nullptr);
    out->WriteObject(list);
    out->Close();
  }
  Ref<vtl::TStream> in = vtl::OpenReadStream(String("data::") + String(path.c_str()));
  Ref<TList> back = DowncastObject<TList>(in->ReadObject());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Count(), 1);
  in->Close();
  try {
    vtl::OpenStreamUrl(String("data::") + String(path.c_str()), 1, 1);
    ADD_FAILURE() << "opened for both directions";
  } catch (const vtl::ThrownObject& t) {
    EXPECT_STREQ(t.what(), "DataStreams can not be both readable and writeable");
  }
  EXPECT_EQ(vtl::OpenReadStream(String("data::") + String((path + ".missing").c_str())), nullptr);
  EXPECT_EQ(TDataStream::WithStream(nullptr), nullptr);
}

// --- graphs ---

TEST_F(DataStreamTest, SharedAndCyclicReferencesKeepTheirIdentity) {
  Ref<TList> graph = vtl::test::SharedGraph();
  auto self = New<TList>();
  self->AddLast(self);
  self->AddLast(graph);
  Ref<TDataStream> in = Reader(vtl::test::WriteObjects({self}));
  self->Clear();

  Ref<TList> back = DowncastObject<TList>(in->ReadObject());
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->Count(), 2);
  EXPECT_EQ(back->First(), back);
  Ref<TList> outer = DowncastObject<TList>(back->Last());
  ASSERT_NE(outer, nullptr);
  Ref<TList> a = DowncastObject<TList>(outer->First());
  Ref<TList> b = DowncastObject<TList>(outer->Last());
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->First(), b->First());  // one pixmap, shared
  EXPECT_EQ(b->Last(), a);            // the same list, not a copy
  EXPECT_NE(DowncastObject<TPixmap>(a->First()), nullptr);
  back->Clear();
}

// --- round trips of every data type ---

TEST_F(DataStreamTest, PixmapsOfEveryFormatRoundTrip) {
  for (int32_t format = vtl::FMT_GREY8; format <= vtl::FMT_LUMINANCE8; ++format) {
    SCOPED_TRACE(format);
    Ref<TPixmap> pixmap = vtl::test::PatternPixmap(5, 3, format);
    Ref<TPixmap> back = DowncastObject<TPixmap>(Reader(vtl::test::WriteObjects({pixmap}))->ReadObject());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->width, 5);
    EXPECT_EQ(back->height, 3);
    EXPECT_EQ(back->format, format);
    for (int32_t y = 0; y < 3; ++y)
      EXPECT_EQ(std::memcmp(back->PixelPtr(0, y), pixmap->PixelPtr(0, y), 5 * vtl::FormatBytes(format)), 0);
  }
}

TEST_F(DataStreamTest, ImagesRoundTripWithTheirFramesAndHandle) {
  Ref<vtl::TImage> image = vtl::test::SampleImage();
  Ref<vtl::TImage> back = DowncastObject<vtl::TImage>(Reader(vtl::test::WriteObjects({image}))->ReadObject());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->width, 3);
  EXPECT_EQ(back->height, 2);
  EXPECT_EQ(back->flags, 6);
  EXPECT_EQ(back->mask_b, 3);
  EXPECT_EQ(back->handle_x, 1.5f);
  EXPECT_EQ(back->handle_y, -0.25f);
  ASSERT_EQ(back->pixmaps->Length(), 3);
  EXPECT_EQ((*back->pixmaps)[1], nullptr);
  for (int32_t i : {0, 2}) {
    const Ref<TPixmap>& p = (*back->pixmaps)[i];
    const Ref<TPixmap>& q = (*image->pixmaps)[i];
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->format, q->format);
    EXPECT_EQ(std::memcmp(p->PixelPtr(0, 1), q->PixelPtr(0, 1), 3 * vtl::FormatBytes(q->format)), 0);
  }
}

// --- hostile and damaged input ---

TEST_F(DataStreamTest, ReferencesAndTypeNumbersThatWereNeverGivenAreRefused) {
  EXPECT_EQ(ReadError(Cat({{255}, Int(1)})), "DataStream refers to object 1 before reading it");
  EXPECT_EQ(ReadError(Cat({{1}, TagLine("VTL.List.TList"), Int(1), {255}, Int(2)})),
            "DataStream refers to object 2 before reading it");
  EXPECT_EQ(ReadError(Cat({{1}, TagLine("VTL.List.TList"), Int(1), {255}, Int(0xffffffff)})),
            "DataStream refers to object -1 before reading it");
  EXPECT_EQ(ReadError(Cat({{3}, TagLine("VTL.List.TList"), Int(0)})), "DataStream uses type 3 before giving its tag");
  // Type 1 known, type 2 given without ever being introduced.
  EXPECT_EQ(ReadError(Cat({{1}, TagLine("VTL.List.TList"), Int(1), {3}, Int(0)})),
            "DataStream uses type 3 before giving its tag");
}

TEST_F(DataStreamTest, RecordsLongerThanTheBytesLeftAreRefused) {
  const Bytes pixmapTag = Cat({{1}, TagLine("VTL.Pixmap.TPixmap")});
  EXPECT_EQ(ReadError(Cat({pixmapTag, Int(1000), Int(1000), Int(vtl::FMT_RGBA8888), {1, 2, 3}})),
            "DataStream holds a damaged VTL.Pixmap.TPixmap");
  EXPECT_EQ(ReadError(Cat({pixmapTag, Int(2), Int(2), Int(99)})), "DataStream holds a damaged VTL.Pixmap.TPixmap");
  EXPECT_EQ(ReadError(Cat({pixmapTag, Int(2)})), "DataStream ends inside an object");
  // Sizes whose byte count overflows even 64 bits.
  EXPECT_EQ(ReadError(Cat({pixmapTag, Int(0x7fffffff), Int(0x7fffffff), Int(vtl::FMT_RGBA8888)})),
            "DataStream holds a damaged VTL.Pixmap.TPixmap");
  // No pixels in two billion rows: read at once, not row by empty row.
  EXPECT_EQ(ReadError(Cat({pixmapTag, Int(0), Int(0x7fffffff), Int(vtl::FMT_RGBA8888)})), "");
  const Bytes listTag = Cat({{1}, TagLine("VTL.List.TList")});
  EXPECT_EQ(ReadError(Cat({listTag, Int(0x7fffffff), {0, 0}})), "DataStream ends inside an object");
  EXPECT_EQ(ReadError(Cat({listTag, Int(0x80000000)})), "DataStream holds a list of -2147483648 elements");
  EXPECT_EQ(ReadError({}), "DataStream ends inside an object");
}

TEST_F(DataStreamTest, NestingIsLimitedOnReadingAndWriting) {
  // depth lists, each holding the next; the innermost is empty.
  auto nested = [](int depth) {
    Bytes bytes = Cat({{1}, TagLine("VTL.List.TList")});
    for (int i = 1; i < depth; ++i) {
      Put32(bytes, 1);
      bytes.push_back(1);
    }
    Put32(bytes, 0);
    return bytes;
  };
  EXPECT_EQ(ReadError(nested(TDataStream::MaxDepth)), "");
  EXPECT_EQ(ReadError(nested(TDataStream::MaxDepth + 1)), "DataStream nests objects deeper than 1000");
  EXPECT_EQ(ReadError(nested(1000000)), "DataStream nests objects deeper than 1000");

  auto top = New<TList>();
  Ref<TList> inner = top;
  for (int i = 0; i < TDataStream::MaxDepth; ++i) {
    auto next = New<TList>();
    inner->AddLast(next);
    inner = next;
  }
  try {
    vtl::test::WriteObjects({top});
    ADD_FAILURE() << "a graph deeper than the limit was written";
  } catch (const vtl::ThrownObject& t) {
    EXPECT_STREQ(t.what(), "DataStream nests objects deeper than 1000");
  }
}

TEST_F(DataStreamTest, AFailedReadLeavesNoCycleBehind) {
  // A list holding itself, then a reference to an object never read.
  Ref<TDataStream> in = Reader(Cat({{1}, TagLine("VTL.List.TList"), Int(2), {255}, Int(1), {255}, Int(9)}));
  EXPECT_THROW(in->ReadObject(), vtl::ThrownObject);
  Ref<TList> partial = DowncastObject<TList>((*in->_datas)[0]);
  ASSERT_NE(partial, nullptr);
  EXPECT_EQ(partial->Count(), 0);
}

TEST_F(DataStreamTest, ErrorsOfTheWrappedStreamPassThrough) {
  Bytes bytes = Cat({{1}, TagLine("VTL.List.TList"), Int(0)});
  auto unreadable =
      TDataStream::WithStream(vtl::TRamStream::Create(bytes.data(), static_cast<int32_t>(bytes.size()), 0, 1));
  try {
    unreadable->ReadObject();
    ADD_FAILURE() << "read from a stream that cannot be read";
  } catch (const vtl::ThrownObject& t) {
    EXPECT_NE(DowncastObject<vtl::TStreamException>(t.object), nullptr);
  }
}

// The most memory the process has held so far, in MiB.
long PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

TEST_F(DataStreamTest, AnEndlessTagLineIsRefusedSoonAfterTheLongestTag) {
  // The type byte 1 and then 16 MiB of one byte: as good as endless for a
  // tag, and a bound on the test should the reader not stop by itself.
  for (uint8_t fill : {uint8_t('x'), uint8_t(13)}) {
    SCOPED_TRACE(int(fill));
    auto source = New<TSizelessSource>(Bytes{1}, size_t{16} << 20, fill);
    std::string error;
    try {
      TDataStream::WithStream(source)->ReadObject();
    } catch (const vtl::ThrownObject& t) {
      error = t.what();
    }
    EXPECT_EQ(error.substr(0, 23), "Unrecognized DataType: ");
    EXPECT_LT(error.size(), 200u);
    EXPECT_LT(source->given, 200u);
  }
  // The same on a stream that knows its size.
  const std::string error = ReadError(Cat({{1}, Bytes(100000, 'x'), {13, 10}, Int(0)}));
  EXPECT_EQ(error.substr(0, 23), "Unrecognized DataType: ");
  EXPECT_LT(error.size(), 200u);
}

TEST_F(DataStreamTest, HugeLengthsAndCountsFailWithoutMemoryForThem) {
  const long before = PeakMiB();
  for (const auto& [name, bytes] : vtl::test::HostileDataStreams()) {
    SCOPED_TRACE(name);
    for (bool sizeless : {false, true}) {
      SCOPED_TRACE(sizeless ? "size unknown" : "size known");
      const std::string error = ReadError(bytes, sizeless);
      EXPECT_NE(error, "") << "an object was read";
      EXPECT_NE(error, "<other>");
    }
  }
  // Each sample claims up to 2 GiB; none may be taken before its bytes come.
  EXPECT_LT(PeakMiB() - before, 256);
}

// A stream that knows neither its position nor its size, as a pipe: its own
// end-of-data error stops a truncated record.
class TPipeLike : public vtl::TStream {
 public:
  int32_t Read(void* buf, int32_t count) override {
    const int32_t n = std::min<int32_t>(count, static_cast<int32_t>(bytes.size() - at));
    std::memcpy(buf, bytes.data() + at, static_cast<size_t>(n));
    at += static_cast<size_t>(n);
    return n;
  }
  Bytes bytes;
  size_t at = 0;
};

TEST_F(DataStreamTest, StreamsWithoutASizeEndWithTheirOwnError) {
  auto pipe = New<TPipeLike>();
  pipe->bytes = Cat({{1}, TagLine("VTL.List.TList"), Int(1000000)});
  try {
    TDataStream::WithStream(pipe)->ReadObject();
    ADD_FAILURE() << "a truncated list was read";
  } catch (const vtl::ThrownObject& t) {
    EXPECT_NE(DowncastObject<vtl::TStreamReadException>(t.object), nullptr);
  }
}

// Every prefix and many single-byte corruptions of every sample give an
// object or a runtime error.
TEST_F(DataStreamTest, TruncatedAndCorruptedSamplesNeverCrash) {
  for (const auto& [name, bytes] : vtl::test::SampleDataStreams()) {
    SCOPED_TRACE(name);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
      const Bytes prefix(bytes.begin(), bytes.begin() + static_cast<long>(cut));
      EXPECT_NE(ReadError(prefix), "<other>") << "cut at " << cut;
      EXPECT_NE(ReadError(prefix, true), "<other>") << "cut at " << cut << ", size unknown";
    }
    for (size_t at = 0; at < bytes.size(); ++at) {
      for (uint8_t value : {0x00, 0x01, 0x02, 0x7f, 0x80, 0xfe, 0xff}) {
        Bytes damaged = bytes;
        damaged[at] = value;
        EXPECT_NE(ReadError(damaged), "<other>") << "byte " << at << " set to " << int(value);
      }
    }
    held_.clear();
  }
}

// Every seed of the fuzz target, read as the target reads it: over memory
// and over a source that does not tell its size.
TEST_F(DataStreamTest, CorpusReplay) {
  const std::vector<std::string> files = vtl::test::FilesIn(VTL_DATA_CORPUS_DIR);
  ASSERT_FALSE(files.empty());
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const Bytes bytes = vtl::test::ReadFile(file);
    for (Ref<TDataStream> in : {Reader(bytes), TDataStream::WithStream(New<TSizelessSource>(bytes))}) {
      try {
        while (!in->Eof()) in->ReadObject();
      } catch (const vtl::ThrownObject& t) {
        EXPECT_TRUE(DowncastObject<vtl::TRuntimeException>(t.object) || DowncastObject<vtl::TStreamException>(t.object))
            << t.what();
      }
      ClearListsRead(in);
    }
  }
}

}  // namespace
