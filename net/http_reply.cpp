#include "net/internal/http_reply.h"

#include <algorithm>
#include <cstring>

#include "net/http_stream_factory.h"

namespace vtl {

ReplyHead ReadReplyHead(TStream& source) {
  constexpr size_t kStatusKept = 200;
  ReplyHead head;
  char block[kReplyHeadBlock];
  int32_t lineLength = 0;
  bool inStatus = true;
  for (int32_t total = 0; total < kMaxHTTPHeaderBytes;) {
    const int32_t want = std::min(kReplyHeadBlock, kMaxHTTPHeaderBytes - total);
    const int32_t got = std::min(source.Read(block, want), want);
    if (got <= 0) return head;  // Cut
    for (int32_t i = 0; i < got; ++i) {
      const char c = block[i];
      if (c == 10 || c == 0) {
        if (lineLength == 0) {
          head.end = ReplyHeadEnd::Ended;
          head.bodyAhead.assign(block + i + 1, block + got);
          return head;
        }
        lineLength = 0;
        inStatus = false;
      } else if (c != 13) {
        ++lineLength;
        if (inStatus && head.status.size() < kStatusKept) head.status += c;
      }
    }
    total += got;
  }
  head.end = ReplyHeadEnd::TooLong;
  return head;
}

int32_t THTTPReplyStream::Read(void* buf, int32_t count) {
  if (at_ >= ahead_.size() || count <= 0) return TSocketStream::Read(buf, count);
  const size_t n = std::min(ahead_.size() - at_, static_cast<size_t>(count));
  std::memcpy(buf, ahead_.data() + at_, n);
  at_ += n;
  if (at_ == ahead_.size()) {
    ahead_.clear();
    at_ = 0;
  }
  return static_cast<int32_t>(n);
}

int32_t THTTPReplyStream::Eof() { return at_ < ahead_.size() ? 0 : TSocketStream::Eof(); }

void THTTPReplyStream::Close() {
  ahead_.clear();
  at_ = 0;
  TSocketStream::Close();
}

Ref<THTTPReplyStream> THTTPReplyStream::Over(TSocketStream& from, std::string bodyAhead) {
  auto reply = New<THTTPReplyStream>();
  reply->_socket = from._socket;
  reply->_autoClose = from._autoClose;
  from._socket = nullptr;
  reply->ahead_ = std::move(bodyAhead);
  return reply;
}

}  // namespace vtl
