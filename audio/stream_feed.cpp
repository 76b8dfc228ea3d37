// The ring of a streamed voice and the mixer's decoding thread, which keeps
// every handed-over ring about a second ahead of its voice.
#include "audio/internal/stream_feed.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <semaphore>
#include <thread>
#include <vector>

#include "audio/internal/mixer_core.h"
#include "audio/internal/stream_source.h"

namespace vtl {

namespace {

constexpr auto relaxed = std::memory_order_relaxed;
constexpr auto acquire = std::memory_order_acquire;
constexpr auto release = std::memory_order_release;

// What one Decode call asks for: small enough that a stop request waits
// little, large enough that the calls cost nothing beside the decoding.
constexpr int32_t kPieceFrames = 4096;
// Between a second and six seconds of frames, whatever the rate claims.
constexpr uint32_t kLeastAhead = 4096;
constexpr uint32_t kMostAhead = 1u << 18;
// Room beyond the frames kept ahead: the guard frame and the reader's
// interpolation partner.
constexpr uint32_t kRingSpare = 4096;
constexpr uint32_t kHandOverRing = 1024;
static_assert(kMostAhead + kRingSpare == kMostStreamRing, "the mixer's scratch holds the largest ring");

// The decoding thread and what the main thread hands it. Lives until the
// process ends; the thread is started when a feed is handed over and none
// runs, and ends by itself once it holds no feed.
struct Decoding {
  // Feeds handed over and not yet let go of; -1 when no thread runs. The
  // thread ends only by turning 0 into -1, so a hand-over that raised the
  // count first is always seen.
  std::atomic<int32_t> active{-1};
  std::atomic<bool> stopAll{false};
  std::thread thread;  // main thread only
  std::counting_semaphore<1 << 24> wake{0};

  StreamFeed* handed[kHandOverRing] = {};
  std::atomic<uint32_t> handWrite{0};  // main thread advances
  std::atomic<uint32_t> handRead{0};   // decoding thread advances
};

Decoding& TheDecoding() {
  static auto* decoding = new Decoding();  // outlives every at-exit handler
  return *decoding;
}

void WriteGuardAndEnd(StreamFeed& feed, uint64_t at) {
  uint8_t* guard = feed.Frame(at);
  if (at > 0) {
    std::memcpy(guard, feed.Frame(at - 1), static_cast<size_t>(feed.frameBytes));
  } else {
    std::memset(guard, feed.bits == 8 ? 128 : 0, static_cast<size_t>(feed.frameBytes));
  }
  feed.end.store(at, relaxed);
  feed.written.store(at + 1, release);  // the end is seen with the guard frame
}

void Fail(StreamFeed& feed, const std::string& why) {
  feed.failure = why;
  feed.failed.store(true, release);
}

void RunDecoding() {
  Decoding& d = TheDecoding();
  std::vector<StreamFeed*> feeds;
  for (;;) {
    uint32_t read = d.handRead.load(relaxed);
    const uint32_t write = d.handWrite.load(acquire);
    for (; read != write; ++read) feeds.push_back(d.handed[read % kHandOverRing]);
    d.handRead.store(read, release);

    for (size_t i = 0; i < feeds.size();) {
      StreamFeed* feed = feeds[i];
      const bool more = !d.stopAll.load(acquire) && !feed->stop.load(acquire) &&
                        FillStreamFeed(*feed, StreamAheadFrames(*feed)) && !feed->stop.load(acquire);
      if (more) {
        ++i;
        continue;
      }
      // From here on the main thread owns the source again.
      feed->released.store(true, release);
      ReleaseStreamFeed(feed);
      feeds[i] = feeds.back();
      feeds.pop_back();
      d.active.fetch_sub(1, std::memory_order_acq_rel);
    }
    if (feeds.empty()) {
      int32_t none = 0;
      if (d.active.compare_exchange_strong(none, -1, std::memory_order_acq_rel)) return;
    }
    (void)d.wake.try_acquire_for(std::chrono::milliseconds(10));
  }
}

void Push(Decoding& d, StreamFeed* feed) {
  const uint32_t write = d.handWrite.load(relaxed);
  while (write - d.handRead.load(acquire) >= kHandOverRing) std::this_thread::yield();
  d.handed[write % kHandOverRing] = feed;
  d.handWrite.store(write + 1, release);
}

}  // namespace

StreamFeed::StreamFeed(StreamSource* from, bool loops) : source(from), loop(loops) {
  const StreamDecoder& decoder = *source->decoder;
  channels = decoder.channels;
  bits = decoder.bits;
  frameBytes = decoder.FrameBytes();
  hertz = decoder.hertz;
  capacity = StreamAheadFrames(*this) + kRingSpare;
  const size_t words = (static_cast<size_t>(capacity) * static_cast<size_t>(frameBytes) + 1) / 2;
  ring = std::make_unique<int16_t[]>(words);
}

void RetainStreamFeed(StreamFeed* feed) {
  if (feed) feed->refs.fetch_add(1, relaxed);
}

void ReleaseStreamFeed(StreamFeed* feed) {
  if (feed && feed->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete feed;
}

uint32_t StreamAheadFrames(const StreamFeed& feed) {
  return std::clamp(static_cast<uint32_t>(feed.hertz), kLeastAhead, kMostAhead);
}

bool FillStreamFeed(StreamFeed& feed, uint32_t ahead) {
  if (feed.end.load(relaxed) != kNoStreamEnd) return false;
  StreamSource& source = *feed.source;
  StreamDecoder& decoder = *source.decoder;
  uint64_t at = feed.written.load(relaxed);
  const uint64_t most = std::min<uint64_t>(ahead, feed.capacity - 2);
  while (!feed.stop.load(relaxed)) {
    const uint64_t limit = feed.consumed.load(acquire) + most;
    if (at >= limit) return true;
    const uint64_t slot = at % feed.capacity;
    const auto piece = static_cast<int32_t>(std::min<uint64_t>({limit - at, feed.capacity - slot, kPieceFrames}));
    const int32_t got = decoder.Decode(feed.Frame(at), piece);
    if (got > 0) {
      source.fresh = false;
      at += static_cast<uint64_t>(got);
      feed.written.store(at, release);
      continue;
    }
    if (got == 0 && feed.loop && !source.fresh) {
      if (decoder.Rewind()) {
        source.fresh = true;
        continue;
      }
      Fail(feed, "the stream could not go back to its start");
    } else if (got < 0) {
      Fail(feed, decoder.failure);
    }
    WriteGuardAndEnd(feed, at);
    return false;
  }
  return true;
}

void HandOverStreamFeed(StreamFeed* feed) {
  Decoding& d = TheDecoding();
  RetainStreamFeed(feed);  // the decoding thread's
  for (;;) {
    int32_t active = d.active.load(acquire);
    if (active < 0) {
      if (d.thread.joinable()) d.thread.join();  // it has ended or is ending
      d.active.store(1, relaxed);
      Push(d, feed);
      d.thread = std::thread(RunDecoding);
      return;
    }
    if (d.active.compare_exchange_weak(active, active + 1, std::memory_order_acq_rel)) {
      Push(d, feed);
      d.wake.release();
      return;
    }
  }
}

void ReclaimStreamSource(StreamFeed& feed) {
  feed.stop.store(true, release);
  if (feed.released.load(acquire)) return;
  TheDecoding().wake.release();
  while (!feed.released.load(acquire)) std::this_thread::sleep_for(std::chrono::microseconds(100));
}

void StopStreamDecoding() {
  Decoding& d = TheDecoding();
  d.stopAll.store(true, release);
  d.wake.release();
  if (d.thread.joinable()) d.thread.join();
  d.stopAll.store(false, release);
}

void WakeStreamDecoding() {
  if (StreamDecodingRuns()) TheDecoding().wake.release();
}

bool StreamDecodingRuns() { return TheDecoding().active.load(acquire) >= 0; }

}  // namespace vtl
