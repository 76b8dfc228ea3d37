// One play of a streamed sound: a ring of decoded frames that the mixer's
// decoding thread keeps about a second ahead of the voice reading it.
//
// The ring has one writer and one reader. The decoding thread (or the main
// thread, before it hands the feed over) writes frames and advances
// `written`; the mixing side reads them and advances `consumed`. Both are
// absolute frame counts since the start, so frame i lives at i % capacity,
// and the writer never goes past consumed + capacity. Everything else that
// crosses is a single atomic word.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace vtl {

struct StreamSource;

constexpr uint64_t kNoStreamEnd = UINT64_MAX;

/// A ring of decoded frames with the source that fills it. Counted: the main
/// thread's sound, the voice and the decoding thread each hold a reference.
struct StreamFeed {
  StreamFeed(StreamSource* source, bool loop);

  std::atomic<int32_t> refs{1};
  StreamSource* source;  // used by whoever fills: the main thread until handed over
  const bool loop;
  int32_t channels = 0;
  int32_t bits = 0;
  int32_t frameBytes = 0;
  int32_t hertz = 0;
  uint32_t capacity = 0;  // frames
  std::unique_ptr<int16_t[]> ring;

  std::atomic<uint64_t> written{0};   // the writer: frames decoded so far
  std::atomic<uint64_t> consumed{0};  // the reader: frames it no longer needs
  // The writer: where the data ends (the frame after the last); a copy of
  // the last frame follows it, as a sample's guard frame does.
  std::atomic<uint64_t> end{kNoStreamEnd};
  std::atomic<bool> stop{false};      // anyone: nothing more will be read
  std::atomic<bool> released{false};  // the decoding thread let go of the source
  std::atomic<bool> failed{false};    // the writer: the data is damaged; failure says why
  std::string failure;                // written before failed

  uint8_t* Frame(uint64_t index) {
    return reinterpret_cast<uint8_t*>(ring.get()) + (index % capacity) * static_cast<uint64_t>(frameBytes);
  }
};

/// One more reference.
void RetainStreamFeed(StreamFeed* feed);
/// One reference less; the last frees the feed (never the source).
void ReleaseStreamFeed(StreamFeed* feed);

/// Frames the decoding thread keeps ahead of the voice: about a second.
uint32_t StreamAheadFrames(const StreamFeed& feed);

/// Writer: decodes until the ring holds `ahead` frames beyond what the
/// reader consumed (or is full), the data ends or stop is set. A looping
/// feed goes back to the first frame at the end. True while there is more
/// to decode; false once the data ended or turned out damaged (end is then
/// set, its guard frame written).
bool FillStreamFeed(StreamFeed& feed, uint32_t ahead);

/// Main thread: hands a feed to the decoding thread (starting it when none
/// runs). The thread holds a reference until it lets go of the source.
void HandOverStreamFeed(StreamFeed* feed);
/// Main thread: asks the decoding thread to let go of the feed's source and
/// waits until it has (at most one decoding step).
void ReclaimStreamSource(StreamFeed& feed);
/// Main thread: every feed stops, and the decoding thread ends.
void StopStreamDecoding();
/// Lets the decoding thread look at its rings now rather than at its next
/// round (every 10 ms), for tests that play faster than real time.
void WakeStreamDecoding();
/// Whether a decoding thread runs (for the tests).
bool StreamDecodingRuns();

}  // namespace vtl
