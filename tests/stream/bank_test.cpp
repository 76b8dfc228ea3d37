// Banks: growth, peeks and pokes at every width and offset, static banks,
// loading and saving, bank streams, banks as URLs and the bank data type.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "runtime/class_record.h"
#include "stream/stream.h"
#include "test_file_helpers.h"

namespace {

using vtl::Ref;
using vtl::String;
using vtl::TBank;
using vtl::TBankStream;
using Bytes = std::vector<uint8_t>;

Ref<TBank> BankOf(const Bytes& bytes) {
  vtl::InitStream();
  auto bank = TBank::Create(static_cast<int32_t>(bytes.size()));
  if (!bytes.empty()) std::memcpy(bank->Buf(), bytes.data(), bytes.size());
  return bank;
}

Bytes BytesOf(const Ref<TBank>& bank) { return Bytes(bank->Buf(), bank->Buf() + bank->Size()); }

// The text of the runtime error a call raised; "" when it raised nothing.
template <class F>
std::string RuntimeErrorText(F&& call) {
  try {
    call();
  } catch (const vtl::ThrownObject& t) {
    EXPECT_TRUE(vtl::DowncastObject<vtl::TRuntimeException>(t.object)) << t.what();
    return t.what();
  }
  return "";
}

// A source that claims far more bytes than it delivers, like a forged file
// header; knowsSize false makes it a stream of unknown length instead.
class LyingStream : public vtl::TStream {
 public:
  LyingStream(Bytes bytes, bool knowsSize) : bytes_(std::move(bytes)), knowsSize_(knowsSize) {}
  int32_t Eof() override { return 0; }
  int32_t Pos() override { return knowsSize_ ? pos_ : -1; }
  int32_t Size() override { return knowsSize_ ? std::numeric_limits<int32_t>::max() : 0; }
  int32_t Read(void* buf, int32_t count) override {
    const int32_t n = std::min<int32_t>(count, static_cast<int32_t>(bytes_.size()) - pos_);
    if (n <= 0) return 0;
    std::memcpy(buf, bytes_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
  }

 private:
  Bytes bytes_;
  bool knowsSize_;
  int32_t pos_ = 0;
};

TEST(Bank, GrowsByHalfItsCapacityAndKeepsItsBytes) {
  auto bank = BankOf({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_EQ(bank->Capacity(), 10);
  bank->Resize(12);
  EXPECT_EQ(bank->Size(), 12);
  EXPECT_EQ(bank->Capacity(), 15);
  EXPECT_EQ(BytesOf(bank), (Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0}));
  bank->Resize(40);
  EXPECT_EQ(bank->Capacity(), 40);  // more than 15 x 3 / 2
  EXPECT_EQ(bank->PeekByte(9), 9);

  uint8_t* memory = bank->Buf();
  bank->PokeByte(30, 77);
  bank->Resize(5);  // shrinking keeps the memory
  EXPECT_EQ(bank->Buf(), memory);
  EXPECT_EQ(bank->Capacity(), 40);
  bank->Resize(31);  // and growing within it shows zeros, not what was there
  EXPECT_EQ(bank->Buf(), memory);
  EXPECT_EQ(bank->PeekByte(30), 0);
  EXPECT_EQ(bank->PeekByte(4), 4);

  auto empty = BankOf({});
  empty->Resize(1);
  empty->Resize(2);
  EXPECT_EQ(empty->Capacity(), 2);  // 1 x 3 / 2 is 1, so the size wins
}

TEST(Bank, NegativeSizesAreRefusedWithTheirValue) {
  vtl::InitStream();
  EXPECT_NE(RuntimeErrorText([] { TBank::Create(-1); }).find("-1"), std::string::npos);
  auto bank = TBank::Create(4);
  EXPECT_NE(RuntimeErrorText([&] { bank->Resize(-8); }).find("-8"), std::string::npos);
  EXPECT_EQ(bank->Size(), 4);
  uint8_t memory[4];
  EXPECT_NE(RuntimeErrorText([&] { TBank::CreateStatic(memory, -2); }), "");
  EXPECT_NE(RuntimeErrorText([] { TBank::CreateStatic(nullptr, 4); }), "");
  EXPECT_EQ(TBank::CreateStatic(nullptr, 0)->Size(), 0);
}

TEST(Bank, PeeksAndPokesAreLittleEndianAtOddOffsets) {
  auto bank = BankOf(Bytes(23, 0xEE));
  bank->PokeShort(1, 0x1234);
  EXPECT_EQ(BytesOf(bank)[1], 0x34);
  EXPECT_EQ(BytesOf(bank)[2], 0x12);
  bank->PokeInt(3, 0x01020304);
  const Bytes bytes = BytesOf(bank);
  EXPECT_EQ((Bytes{bytes.begin() + 3, bytes.begin() + 7}), (Bytes{4, 3, 2, 1}));
  bank->PokeLong(7, 0x0102030405060708LL);
  EXPECT_EQ(BytesOf(bank)[7], 8);
  EXPECT_EQ(BytesOf(bank)[14], 1);
  bank->PokeByte(0, 0x1FF);  // the low 8 bits
  EXPECT_EQ(bank->PeekByte(0), 0xFF);
  EXPECT_EQ(bank->PeekShort(1), 0x1234);
  EXPECT_EQ(bank->PeekInt(3), 0x01020304);
  EXPECT_EQ(bank->PeekLong(7), 0x0102030405060708LL);
  EXPECT_EQ(bank->PeekByte(15), 0xEE);  // nothing written past the long

  bank->PokeFloat(15, -1.5f);
  EXPECT_EQ(bank->PeekFloat(15), -1.5f);
  EXPECT_EQ(BytesOf(bank)[18], 0xBF);  // sign and exponent in the last byte
  bank->PokeDouble(15, 0.1);
  EXPECT_EQ(bank->PeekDouble(15), 0.1);
  EXPECT_EQ(BytesOf(bank)[22], 0x3F);
}

TEST(Bank, PeeksSignAsTheirWidthSays) {
  auto bank = BankOf(Bytes(8));
  bank->PokeShort(0, -1);
  EXPECT_EQ(bank->PeekShort(0), 65535);
  bank->PokeByte(2, -1);
  EXPECT_EQ(bank->PeekByte(2), 255);
  bank->PokeInt(0, -2);
  EXPECT_EQ(bank->PeekInt(0), -2);
  bank->PokeLong(0, std::numeric_limits<int64_t>::min());
  EXPECT_EQ(bank->PeekLong(0), std::numeric_limits<int64_t>::min());
}

TEST(Bank, EveryWidthReachesBothEndsAndNoFurther) {
  auto bank = BankOf(Bytes(9));
  struct Width {
    int32_t bytes;
    std::function<void(int32_t)> peek, poke;
  };
  const std::vector<Width> widths = {
      {1, [&](int32_t o) { bank->PeekByte(o); }, [&](int32_t o) { bank->PokeByte(o, 1); }},
      {2, [&](int32_t o) { bank->PeekShort(o); }, [&](int32_t o) { bank->PokeShort(o, 1); }},
      {4, [&](int32_t o) { bank->PeekInt(o); }, [&](int32_t o) { bank->PokeInt(o, 1); }},
      {8, [&](int32_t o) { bank->PeekLong(o); }, [&](int32_t o) { bank->PokeLong(o, 1); }},
      {4, [&](int32_t o) { bank->PeekFloat(o); }, [&](int32_t o) { bank->PokeFloat(o, 1); }},
      {8, [&](int32_t o) { bank->PeekDouble(o); }, [&](int32_t o) { bank->PokeDouble(o, 1); }},
  };
  for (const Width& w : widths) {
    SCOPED_TRACE(w.bytes);
    const int32_t last = bank->Size() - w.bytes;
    for (int32_t offset : {0, last}) {
      EXPECT_EQ(RuntimeErrorText([&] { w.poke(offset); }), "");
      EXPECT_EQ(RuntimeErrorText([&] { w.peek(offset); }), "");
    }
    for (int32_t offset : {-1, last + 1, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()}) {
      const std::string named = "offset " + std::to_string(offset);
      EXPECT_NE(RuntimeErrorText([&] { w.peek(offset); }).find(named), std::string::npos);
      EXPECT_NE(RuntimeErrorText([&] { w.poke(offset); }).find(named), std::string::npos);
    }
  }
  EXPECT_NE(RuntimeErrorText([] { TBank::Create(0)->PeekByte(0); }), "");
}

TEST(Bank, StaticBanksWriteThroughUntilTheyGrowIntoTheirOwnMemory) {
  vtl::InitStream();
  std::array<uint8_t, 4> memory = {1, 2, 3, 4};
  auto bank = TBank::CreateStatic(memory.data(), 4);
  EXPECT_EQ(bank->Capacity(), -1);
  EXPECT_EQ(bank->Buf(), memory.data());
  bank->PokeByte(0, 9);
  EXPECT_EQ(memory[0], 9);

  bank->Resize(6);  // moves out: the stack array must neither be freed nor changed
  EXPECT_NE(bank->Buf(), memory.data());
  EXPECT_EQ(bank->Capacity(), 6);
  EXPECT_EQ(BytesOf(bank), (Bytes{9, 2, 3, 4, 0, 0}));
  bank->PokeByte(1, 50);
  EXPECT_EQ(memory, (std::array<uint8_t, 4>{9, 2, 3, 4}));
  bank = nullptr;  // frees the bank's own memory only
  EXPECT_EQ(memory[3], 4);

  auto shrunk = TBank::CreateStatic(memory.data(), 4);
  shrunk->Resize(2);
  EXPECT_EQ(BytesOf(shrunk), (Bytes{9, 2}));
  EXPECT_EQ(shrunk->Capacity(), 2);
}

TEST(Bank, ReadsAndWritesStreamsWithinItsBytes) {
  auto bank = BankOf({0, 0, 0, 0, 0});
  auto source = BankOf({7, 8, 9});
  EXPECT_EQ(bank->Read(TBankStream::Create(source), 1, 3), 3);
  EXPECT_EQ(BytesOf(bank), (Bytes{0, 7, 8, 9, 0}));
  auto sink = BankOf({});
  EXPECT_EQ(bank->Write(TBankStream::Create(sink), 2, 3), 3);
  EXPECT_EQ(BytesOf(sink), (Bytes{8, 9, 0}));
  EXPECT_NE(RuntimeErrorText([&] { bank->Read(TBankStream::Create(source), 3, 3); }).find("offset 3"),
            std::string::npos);
  EXPECT_NE(RuntimeErrorText([&] { bank->Write(TBankStream::Create(sink), 0, -1); }), "");
}

TEST(Bank, SavesAndLoadsFiles) {
  auto bank = BankOf({1, 2, 3, 250});
  const std::string path = vtl::test::TempPath("bank.bin");
  EXPECT_EQ(bank->Save(String::FromLatin1(path)), 1);
  EXPECT_EQ(vtl::test::ReadFile(path), (Bytes{1, 2, 3, 250}));
  auto back = TBank::Load(String::FromLatin1(path));
  ASSERT_TRUE(back);
  EXPECT_EQ(BytesOf(back), (Bytes{1, 2, 3, 250}));
  std::remove(path.c_str());

  EXPECT_EQ(TBank::Load(String::FromLatin1(path)), nullptr);
  EXPECT_EQ(bank->Save("/nonexistent-dir/x.bin"), 0);
  EXPECT_EQ(TBank::Load("nosuchprotocol::x"), nullptr);

  Bytes big(200000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  vtl::test::WriteFile(path, big);
  EXPECT_EQ(BytesOf(TBank::Load(String::FromLatin1(path))), big);
  std::remove(path.c_str());
}

TEST(Bank, LoadingTakesOnlyWhatTheStreamDelivers) {
  vtl::InitStream();
  for (bool knowsSize : {true, false}) {
    Ref<vtl::TStream> liar = vtl::New<LyingStream>(Bytes{5, 6, 7}, knowsSize);
    auto bank = TBank::Load(liar);
    ASSERT_TRUE(bank);
    EXPECT_EQ(BytesOf(bank), (Bytes{5, 6, 7}));
    // Memory follows the bytes that came, a read step or two ahead, never
    // the 2 GB claimed.
    EXPECT_LE(bank->Capacity(), 2 * 1024 * 1024);
  }
}

TEST(BankStream, SeeksClampAndReadsStopAtTheEnd) {
  auto bank = BankOf({1, 2, 3, 4, 5, 6, 7, 8});
  auto s = TBankStream::Create(bank);
  EXPECT_EQ(s->Pos(), 0);
  EXPECT_EQ(s->Size(), 8);
  EXPECT_EQ(s->Seek(-5), 0);
  EXPECT_EQ(s->Seek(18), 8);
  EXPECT_TRUE(s->Eof());
  uint8_t out[10] = {};
  EXPECT_EQ(s->Read(out, 10), 0);
  s->Seek(6);
  EXPECT_EQ(s->Read(out, 10), 2);
  EXPECT_EQ(out[0], 7);
  EXPECT_EQ(out[1], 8);
  EXPECT_EQ(s->Pos(), 8);
  s->Seek(0);
  EXPECT_EQ(s->Read(out, 0), 0);
  EXPECT_EQ(s->Read(out, -3), 0);
  EXPECT_EQ(s->ReadInt(), 0x04030201);
}

TEST(BankStream, WritesGrowTheBank) {
  auto bank = BankOf({0, 0, 0, 0, 0, 0, 0, 0});
  auto s = TBankStream::Create(bank);
  s->Seek(8);
  const uint8_t four[4] = {1, 2, 3, 4};
  EXPECT_EQ(s->Write(four, 4), 4);
  EXPECT_EQ(bank->Size(), 12);
  EXPECT_EQ(bank->PeekInt(8), 0x04030201);
  s->Seek(10);
  EXPECT_EQ(s->Write(four, 4), 4);  // half over, half past the end
  EXPECT_EQ(bank->Size(), 14);
  EXPECT_EQ(BytesOf(bank), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 1, 2, 3, 4}));
  EXPECT_EQ(s->Write(four, 0), 0);
  s->WriteDouble(2.5);
  EXPECT_EQ(bank->PeekDouble(14), 2.5);

  auto fresh = TBankStream::Create(nullptr);  // a Null bank becomes an empty one
  ASSERT_TRUE(fresh->_bank);
  EXPECT_EQ(fresh->Size(), 0);
  fresh->WriteLine("hi");
  EXPECT_EQ(BytesOf(fresh->_bank), (Bytes{'h', 'i', 13, 10}));
}

TEST(BankStream, CopiesFromTheBankItselfWhileGrowing) {
  // The source lies in the memory that growing replaces.
  auto bank = BankOf({1, 2, 3, 4});
  auto s = TBankStream::Create(bank);
  s->Seek(4);
  EXPECT_EQ(s->Write(bank->Buf(), 4), 4);
  EXPECT_EQ(BytesOf(bank), (Bytes{1, 2, 3, 4, 1, 2, 3, 4}));
}

TEST(BankStream, BankShrunkUnderTheStream) {
  auto bank = BankOf({1, 2, 3, 4, 5, 6});
  auto s = TBankStream::Create(bank);
  s->Seek(5);
  bank->Resize(2);
  EXPECT_TRUE(s->Eof());
  uint8_t b = 9;
  EXPECT_EQ(s->Read(&b, 1), 0);
  EXPECT_EQ(s->Write(&b, 1), 0);  // past the end: no gap is made
  EXPECT_EQ(s->ReadByte(), 0);    // typed reads end quietly
  EXPECT_EQ(bank->Size(), 2);
}

TEST(BankStream, WritesThatWouldPassTheIntRangeAreRefused) {
  vtl::InitStream();
  // The bank only claims its size; nothing here touches the memory.
  uint8_t memory[1] = {};
  auto bank = TBank::CreateStatic(memory, std::numeric_limits<int32_t>::max());
  auto s = TBankStream::Create(bank);
  s->Seek(std::numeric_limits<int32_t>::max() - 2);
  const uint8_t four[4] = {};
  EXPECT_NE(RuntimeErrorText([&] { s->Write(four, 4); }), "");
  EXPECT_EQ(bank->Buf(), memory);
}

TEST(BankStream, BanksOpenAsUrls) {
  auto bank = BankOf({10, 20, 30});
  Ref<vtl::TStream> reader = vtl::OpenReadStream(bank);
  ASSERT_TRUE(vtl::DowncastObject<TBankStream>(reader));
  EXPECT_EQ(reader->ReadByte(), 10);
  EXPECT_EQ(reader->Size(), 3);

  auto target = BankOf({});
  Ref<vtl::TStream> writer = vtl::OpenWriteStream(target);
  ASSERT_TRUE(writer);
  writer->WriteShort(0xBEEF);
  EXPECT_EQ(target->PeekShort(0), 0xBEEF);

  // Save and Load through banks: one bank copied into another.
  EXPECT_EQ(bank->Save(target), 1);
  EXPECT_EQ(BytesOf(target), (Bytes{10, 20, 30}));
  auto copy = TBank::Load(bank);
  EXPECT_EQ(BytesOf(copy), BytesOf(bank));
  EXPECT_NE(copy->Buf(), bank->Buf());

  // The factory answers banks only; the empty url still opens nothing.
  EXPECT_EQ(vtl::OpenReadStream(Ref<vtl::Object>()), nullptr);
  // Nested protocols reach a bank only as an object, never by name.
  EXPECT_EQ(vtl::OpenReadStream("bigendian::"), nullptr);
}

TEST(BankDataType, WritesAndReadsAThreeByteRecord) {
  auto bank = BankOf({0xAB, 0x00, 0x7F});
  EXPECT_EQ(bank->DataType(), vtl::BankDataType);
  EXPECT_EQ(vtl::BankDataType->Tag(), String("VTL.Bank.TBank"));

  auto record = BankOf({});
  auto out = TBankStream::Create(record);
  vtl::BankDataType->WriteObject(bank, out);
  EXPECT_EQ(BytesOf(record), (Bytes{3, 0, 0, 0, 0xAB, 0x00, 0x7F}));

  auto in = TBankStream::Create(record);
  auto back = vtl::DowncastObject<TBank>(vtl::BankDataType->ReadObject(in));
  ASSERT_TRUE(back);
  EXPECT_EQ(BytesOf(back), BytesOf(bank));
  EXPECT_NE(back, bank);
  EXPECT_TRUE(in->Eof());

  auto empty = BankOf({});
  auto emptyRecord = TBankStream::Create(nullptr);
  vtl::BankDataType->WriteObject(empty, emptyRecord);
  emptyRecord->Seek(0);
  EXPECT_EQ(vtl::DowncastObject<TBank>(vtl::BankDataType->ReadObject(emptyRecord))->Size(), 0);
}

TEST(BankDataType, IsFoundByItsTagAndItsClassesAreRegistered) {
  vtl::InitStream();
  bool found = false;
  for (auto t = vtl::TDataType::Registered(); t; t = t->_succ) found |= t->Tag() == String("VTL.Bank.TBank");
  EXPECT_TRUE(found);
  EXPECT_NE(vtl::FindClassRecord(typeid(TBank)), nullptr);
  EXPECT_NE(vtl::FindClassRecord(typeid(vtl::TBankDataType)), nullptr);
  EXPECT_NE(vtl::FindClassRecord(typeid(TBankStream)), nullptr);
  EXPECT_NE(vtl::FindClassRecord(typeid(vtl::TBankStreamFactory)), nullptr);
}

TEST(BankDataType, HostileRecordsFailClearlyWithoutBigAllocations) {
  vtl::InitStream();
  auto ReadRecord = [](Ref<vtl::TStream> stream) { vtl::BankDataType->ReadObject(stream); };

  EXPECT_NE(RuntimeErrorText([&] {
              ReadRecord(TBankStream::Create(BankOf({0xFF, 0xFF, 0xFF, 0xFF})));
            }).find("negative"),
            std::string::npos);
  EXPECT_NE(RuntimeErrorText([&] {
              ReadRecord(TBankStream::Create(BankOf({5, 0, 0, 0, 1, 2})));
            }).find("ends after 2"),
            std::string::npos);
  // A size near the int limit over a few bytes, from streams that do and do
  // not know their length: an error, having taken memory for the bytes only.
  for (bool knowsSize : {true, false}) {
    Ref<vtl::TStream> forged = vtl::New<LyingStream>(Bytes{0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3}, knowsSize);
    EXPECT_NE(RuntimeErrorText([&] { ReadRecord(forged); }).find("ends after 3"), std::string::npos);
  }
  // An empty stream reads as a size of 0, so as an empty bank.
  auto none = vtl::DowncastObject<TBank>(vtl::BankDataType->ReadObject(TBankStream::Create(nullptr)));
  ASSERT_TRUE(none);
  EXPECT_EQ(none->Size(), 0);
}

}  // namespace
