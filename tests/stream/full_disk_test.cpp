// Writes that the system refuses, on /dev/full, where every write fails as
// on a full disk. Small writes wait in the C library's buffer, so the failure
// shows only when it is flushed or closed; every save must report it.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "data_samples.h"

namespace {

using vtl::Ref;
using vtl::String;

const String kFull = "/dev/full";

// The text of the stream write error the call raises, or what it did instead.
std::string WriteError(const std::function<void()>& call) {
  try {
    call();
  } catch (const vtl::ThrownObject& t) {
    if (!vtl::DowncastObject<vtl::TStreamWriteException>(t.object)) return std::string("other error: ") + t.what();
    return t.what();
  }
  return "no error";
}

class FullDisk : public ::testing::Test {
 protected:
  void SetUp() override { vtl::InitImage(); }
};

TEST_F(FullDisk, EverySaveReportsTheFailure) {
  EXPECT_EQ(WriteError([] { vtl::TBank::Create(3)->Save(kFull); }), "Error writing to stream");
  EXPECT_EQ(WriteError([] { vtl::SaveTextUrl("abc", kFull); }), "Error writing to stream");
  EXPECT_EQ(WriteError([] { vtl::SaveBytesUrl(vtl::NewArray<uint8_t>({4}), kFull); }), "Error writing to stream");
  EXPECT_EQ(WriteError([] { vtl::SaveTextEncoded("abc", kFull); }), "Error writing to stream");
  EXPECT_EQ(WriteError([] { vtl::SaveTextEncoded(String(u"\u03C0"), kFull); }), "Error writing to stream");
}

TEST_F(FullDisk, FlushAndCloseReportTheFailure) {
  Ref<vtl::TStream> file = vtl::OpenWriteStream(kFull);
  ASSERT_NE(file, nullptr);
  file->WriteInt(1);  // taken into the buffer
  EXPECT_EQ(WriteError([&] { file->Flush(); }), "Error writing to stream");
  file->WriteInt(2);
  EXPECT_EQ(WriteError([&] { file->Close(); }), "Error writing to stream");
  EXPECT_EQ(WriteError([&] { file->Close(); }), "no error");  // closed all the same

  // An object stream closes the file it writes to.
  Ref<vtl::TStream> objects = vtl::OpenWriteStream("data::" + kFull);
  ASSERT_NE(objects, nullptr);
  objects->WriteObject(vtl::test::SharedGraph());
  EXPECT_EQ(WriteError([&] { objects->Close(); }), "Error writing to stream");
}

TEST_F(FullDisk, TheLastReleaseDropsTheFailureQuietly) {
  EXPECT_EQ(WriteError([] {
              Ref<vtl::TStream> file = vtl::OpenWriteStream(kFull);
              file->WriteInt(1);
            }),
            "no error");
}

}  // namespace
