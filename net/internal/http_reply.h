// An HTTP reply's status line and headers, read in blocks rather than a byte
// per receive, and the stream that hands the body bytes which came with them
// to the body's first reads.
#pragma once

#include <cstdint>
#include <string>

#include "net/socket_stream.h"

namespace vtl {

// How reading the status line and headers ended: at their empty line, at
// kMaxHTTPHeaderBytes without one, or cut short by an end or a read that
// brought nothing (the server fell silent past the read time-out).
enum class ReplyHeadEnd { Ended, TooLong, Cut };

// What came before the body.
struct ReplyHead {
  ReplyHeadEnd end = ReplyHeadEnd::Cut;
  std::string status;     // the status line's start, carriage returns dropped
  std::string bodyAhead;  // body bytes that came in the same reads as the headers
};

// The most bytes one read of the head asks for.
constexpr int32_t kReplyHeadBlock = 4096;

// Reads the status line and headers up to and including the empty line that
// ends them, in reads of up to kReplyHeadBlock bytes and never more than
// kMaxHTTPHeaderBytes in all. Lines end at a line feed (or a zero byte, as
// ReadLine has it); carriage returns are dropped. The bytes that came after
// the empty line are the body's.
ReplyHead ReadReplyHead(TStream& source);

// A socket stream whose reads take the body bytes read with the headers
// first; Eof stays 0 while any are left, however the server has closed.
// Reading its socket directly would skip them.
class THTTPReplyStream : public TSocketStream {
 public:
  int32_t Read(void* buf, int32_t count) override;
  int32_t Eof() override;
  void Close() override;

  // A reply stream that takes over from's socket (from is left closed, its
  // socket still open) and gives bodyAhead first.
  static Ref<THTTPReplyStream> Over(TSocketStream& from, std::string bodyAhead);

 private:
  std::string ahead_;
  size_t at_ = 0;
};

}  // namespace vtl
