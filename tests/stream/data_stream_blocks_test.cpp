// Object streams read ahead of and write behind files, memory blocks and
// banks. Whatever the blocks do, the bytes written, the objects and errors
// read and the wrapped stream's position must be those of the direct path,
// which a borrowing wrapper (TStreamStream) still takes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "data_samples.h"
#include "random_graphs.h"
#include "test_file_helpers.h"

namespace vtl {
namespace {

using Bytes = std::vector<uint8_t>;

class DataStreamBlocks : public ::testing::Test {
 protected:
  void SetUp() override { InitImage(); }
};

// Two graphs through one object stream, so the second refers to types the
// first numbered.
void WriteTwoGraphs(const Ref<TStream>& out, uint32_t seed) {
  out->WriteObject(test::RandomGraph(seed));
  out->WriteObject(test::RandomGraph(seed + 100000));
}

Bytes BankBytes(const Ref<TBank>& bank) { return Bytes(bank->Buf(), bank->Buf() + bank->Size()); }

// The hash of what the writer before the blocks wrote for seeds 1 to 2000.
constexpr uint64_t kDirectWriterHash = 0x837debb0d0732a86ull;

TEST_F(DataStreamBlocks, RandomGraphsWriteTheDirectPathsBytes) {
  const std::string path = test::TempPath("graphs.dat");
  uint64_t hash = test::HashBytes({});
  for (uint32_t seed = 1; seed <= 2000; ++seed) {
    Ref<TBank> held = TBank::Create(0), direct = TBank::Create(0);
    WriteTwoGraphs(TDataStream::WithStream(TBankStream::Create(held)), seed);
    WriteTwoGraphs(TDataStream::WithStream(TStreamStream::Create(TBankStream::Create(direct))), seed);
    ASSERT_EQ(BankBytes(held), BankBytes(direct)) << "seed " << seed;
    if (seed % 100 == 0) {
      Ref<TStream> file = OpenWriteStream(String("data::") + String(path.c_str()));
      WriteTwoGraphs(file, seed);
      file->Close();
      ASSERT_EQ(test::ReadFile(path), BankBytes(direct)) << "seed " << seed;
    }
    hash = test::HashBytes(BankBytes(held), hash);
  }
  EXPECT_EQ(hash, kDirectWriterHash);
}

// A write that fails part-way leaves the bytes before it in the stream, as
// the direct path does.
TEST_F(DataStreamBlocks, AFailedWriteLeavesTheSameBytes) {
  class TTagged : public TData {
   public:
    Ref<TDataType> DataType() const override { return type; }
    Ref<TDataType> type;
  };
  class TTaggedType : public TDataType {
   public:
    String Tag() const override { return tag; }
    Ref<Object> ReadObject(const Ref<TStream>&) override { return New<TTagged>(); }
    void WriteObject(const Ref<Object>&, const Ref<TStream>& stream) override { stream->WriteInt(7); }
    String tag;
  };
  auto list = New<TList>();
  for (int32_t i = 0; i < 300; ++i) {
    auto type = New<TTaggedType>();
    type->tag = "T" + StringFromInt(i);
    auto tagged = New<TTagged>();
    tagged->type = type;
    list->AddLast(tagged);
  }
  std::vector<Bytes> written;
  for (bool held : {true, false}) {
    Ref<TBank> bank = TBank::Create(0);
    Ref<TStream> to = TBankStream::Create(bank);
    Ref<TDataStream> out = TDataStream::WithStream(held ? to : Ref<TStream>(TStreamStream::Create(to)));
    try {
      out->WriteObject(list);
      ADD_FAILURE() << "255 types were written";
    } catch (const ThrownObject& t) {
      EXPECT_STREQ(t.what(), "Too many DataTypes");
    }
    written.push_back(BankBytes(bank));
  }
  EXPECT_EQ(written[0], written[1]);
  EXPECT_GT(written[0].size(), 254u * 4);
}

// What a mix of object reads, plain reads through the object stream and
// reads of the wrapped stream itself sees, step by step: each object read
// written back as bytes, every error's text and the wrapped stream's
// position after every step.
std::string Transcript(const Bytes& bytes, bool direct, uint32_t seed) {
  Bytes copy = bytes;
  Ref<TRamStream> ram = TRamStream::Create(copy.data(), static_cast<int32_t>(copy.size()), 1, 0);
  Ref<TDataStream> in = TDataStream::WithStream(direct ? Ref<TStream>(TStreamStream::Create(ram)) : Ref<TStream>(ram));
  std::mt19937 rng(seed);
  std::string said;
  for (int step = 0; step < 8 && !in->Eof(); ++step) {
    try {
      switch (rng() % 6) {
        case 0:
        case 1:
        case 2: {
          Ref<Object> object = in->ReadObject();
          const Bytes again = test::WriteObjects({object});
          said += "object " + std::string(again.begin(), again.end());
          break;
        }
        case 3: said += "int " + std::to_string(in->ReadInt()); break;
        case 4: said += "wrapped byte " + std::to_string(ram->ReadByte()); break;
        default: said += "pos " + std::to_string(in->Pos()) + " size " + std::to_string(in->Size()); break;
      }
    } catch (const ThrownObject& t) {
      said += std::string("error ") + t.what();
    }
    said += " at " + std::to_string(ram->Pos()) + "\n";
  }
  for (int32_t i = 0; i < in->_dataId && i < in->_datas->Length(); ++i)
    if (auto list = DowncastObject<TList>((*in->_datas)[i])) list->Clear();
  return said;
}

TEST_F(DataStreamBlocks, RandomReadsSeeWhatTheDirectPathSees) {
  std::mt19937 rng(2024);
  for (uint32_t seed = 1; seed <= 600; ++seed) {
    Ref<TBank> bank = TBank::Create(0);
    WriteTwoGraphs(TDataStream::WithStream(TBankStream::Create(bank)), seed);
    Bytes bytes = BankBytes(bank);
    // Whole, cut short, or with a byte changed.
    if (seed % 3 == 1) bytes.resize(rng() % bytes.size());
    if (seed % 3 == 2) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
    ASSERT_EQ(Transcript(bytes, false, seed), Transcript(bytes, true, seed)) << "seed " << seed;
  }
}

// A file read object by object, with the file read directly in between: the
// bytes read ahead are given back each time.
TEST_F(DataStreamBlocks, TheFileIsWhereTheObjectEnds) {
  const std::string path = test::TempPath("mixed.dat");
  std::vector<Bytes> graphs;
  {
    Ref<TStream> file = OpenWriteStream(String(path.c_str()));
    Ref<TDataStream> out = TDataStream::WithStream(file);
    for (uint32_t seed = 1; seed <= 50; ++seed) {
      out->WriteObject(test::RandomGraph(seed));
      file->WriteInt(static_cast<int32_t>(seed));
    }
    out->Close();
  }
  Ref<TStream> file = OpenReadStream(String(path.c_str()));
  Ref<TDataStream> in = TDataStream::WithStream(file);
  for (uint32_t seed = 1; seed <= 50; ++seed) {
    Ref<TList> read = DowncastObject<TList>(in->ReadObject());
    ASSERT_TRUE(read);
    EXPECT_EQ(file->ReadInt(), static_cast<int32_t>(seed));
    EXPECT_EQ(in->Pos(), file->Pos());
  }
  EXPECT_TRUE(file->Eof());
  EXPECT_TRUE(in->Eof());
}

}  // namespace
}  // namespace vtl
