// An HTTP reply's head read in blocks: against the byte-at-a-time reading it
// replaced, on random replies split at random points, and for hostile heads.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "net/http_stream_factory.h"
#include "net/internal/http_reply.h"
#include "stream/stream.h"

namespace vtl {
namespace {

// Bytes handed out in pieces of the sizes a random source picks (1 to
// maxPiece), then endless fill bytes or the end; counts the reads.
class TPieceSource : public TStream {
 public:
  TPieceSource(std::string bytes, uint32_t seed, int32_t maxPiece, bool endless = false)
      : bytes_(std::move(bytes)), rng_(seed), maxPiece_(maxPiece), endless_(endless) {}
  int32_t Read(void* buf, int32_t count) override {
    ++reads;
    const int32_t piece = std::min<int32_t>(count, 1 + static_cast<int32_t>(rng_() % maxPiece_));
    auto* out = static_cast<char*>(buf);
    int32_t n = 0;
    for (; n < piece && (endless_ || at_ < bytes_.size()); ++n, ++at_) out[n] = at_ < bytes_.size() ? bytes_[at_] : 'x';
    given += n;
    return n;
  }
  int32_t Eof() override { return !endless_ && at_ >= bytes_.size(); }
  std::string Rest() {
    std::string rest;
    char buf[100];
    for (int32_t n; (n = Read(buf, sizeof buf)) > 0;) rest.append(buf, static_cast<size_t>(n));
    return rest;
  }

  int64_t reads = 0;
  int64_t given = 0;

 private:
  std::string bytes_;
  size_t at_ = 0;
  std::mt19937 rng_;
  int32_t maxPiece_;
  bool endless_;
};

// The reading this replaced, a byte per read, kept as the measure.
ReplyHead ByteAtATime(TStream& stream) {
  ReplyHead head;
  int32_t lineLength = 0;
  bool inStatus = true;
  for (int32_t total = 0; total < kMaxHTTPHeaderBytes; ++total) {
    char c = 0;
    if (stream.Read(&c, 1) != 1) return head;
    if (c == 10 || c == 0) {
      if (lineLength == 0) {
        head.end = ReplyHeadEnd::Ended;
        return head;
      }
      lineLength = 0;
      inStatus = false;
    } else if (c != 13) {
      ++lineLength;
      if (inStatus && head.status.size() < 200) head.status += c;
    }
  }
  head.end = ReplyHeadEnd::TooLong;
  return head;
}

// A random reply: a status line, header lines ended every way ("\r\n", "\n",
// a zero byte, "\r" inside), sometimes no empty line, sometimes more header
// bytes than allowed, then a body of any bytes.
std::string RandomReply(std::mt19937& rng) {
  auto below = [&rng](uint32_t n) { return static_cast<size_t>(rng() % n); };
  static const char* const kEnds[] = {"\r\n", "\n", "", "\r\r\n"};  // "" stands for a zero byte
  std::string reply =
      below(4) ? "HTTP/1.0 " + std::to_string(100 + below(500)) + " Words\r\n" : std::string(below(300), 'S');
  const size_t lines = below(10) == 0 ? 3000 + below(2000) : below(120);
  for (size_t i = 0; i < lines; ++i) {
    reply += "X-" + std::to_string(i) + ": " + std::string(below(40), static_cast<char>('a' + below(26)));
    const size_t end = below(4);
    reply += end == 2 ? std::string(1, '\0') : kEnds[end];
  }
  if (below(8)) reply += below(2) ? "\r\n" : "\n";
  for (size_t n = below(3) ? below(6000) : 0; n > 0; --n) reply += static_cast<char>(rng());
  return reply;
}

TEST(HttpReplyHead, RandomRepliesSplitAnywhereReadAsByteAtATime) {
  std::mt19937 rng(77);
  for (uint32_t seed = 1; seed <= 1500; ++seed) {
    const std::string reply = RandomReply(rng);
    const int32_t maxPiece = seed % 3 == 0 ? 1 : 1 + static_cast<int32_t>(rng() % 9000);
    TPieceSource measure(reply, seed, 1), blocks(reply, seed, maxPiece);
    const ReplyHead expected = ByteAtATime(measure);
    const ReplyHead got = ReadReplyHead(blocks);
    ASSERT_EQ(got.end, expected.end) << "seed " << seed;
    ASSERT_EQ(got.status, expected.status) << "seed " << seed;
    // The body bytes, read ahead or not, are the rest of the reply.
    if (got.end == ReplyHeadEnd::Ended) {
      ASSERT_EQ(got.bodyAhead + blocks.Rest(), measure.Rest()) << "seed " << seed;
    }
  }
}

TEST(HttpReplyHead, AHeadOfHundredLinesTakesAFewReadsNotOnePerByte) {
  std::string reply = "HTTP/1.0 200 OK\r\n";
  for (int i = 0; i < 100; ++i) reply += "X-Header-" + std::to_string(i) + ": a value of some thirty bytes\r\n";
  reply += "\r\nbody";
  TPieceSource source(reply, 1, 1 << 20);
  const ReplyHead head = ReadReplyHead(source);
  EXPECT_EQ(head.end, ReplyHeadEnd::Ended);
  EXPECT_EQ(head.bodyAhead, "body");
  EXPECT_LE(source.reads, 2 + static_cast<int64_t>(reply.size()) / kReplyHeadBlock);
}

TEST(HttpReplyHead, HostileHeadsStopAtTheLimit) {
  // Header lines without end, one endless line, and lines of a byte each,
  // handed out a byte or a block at a time: no more than the limit is taken.
  for (const std::string& start :
       {std::string("HTTP/1.0 200 OK\r\nX: a\r\n"), std::string("HTTP"), std::string("a\n")}) {
    for (int32_t piece : {1, 70000}) {
      std::string endless = start;
      while (endless.size() < 2 * kMaxHTTPHeaderBytes) endless += start == "a\n" ? "a\n" : "X-Pad: 0123456789\r\n";
      TPieceSource source(start == "HTTP" ? start : endless, 1, piece, true);
      EXPECT_EQ(ReadReplyHead(source).end, ReplyHeadEnd::TooLong);
      EXPECT_EQ(source.given, kMaxHTTPHeaderBytes);
    }
  }
  // The end before the head's: cut, whatever the pieces.
  for (int32_t piece : {1, 5, 4096}) {
    TPieceSource source("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n", 3, piece);
    EXPECT_EQ(ReadReplyHead(source).end, ReplyHeadEnd::Cut);
  }
}

}  // namespace
}  // namespace vtl
