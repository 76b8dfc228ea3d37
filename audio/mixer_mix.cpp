// MixStep: every playing voice added into one block in fixed point, then
// turned into 16-bit output; and the two rings between the threads.
#include <algorithm>
#include <cstring>

#include "audio/internal/mixer_core.h"
#include "audio/internal/stream_feed.h"

namespace vtl {

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

struct Gains {
  int32_t left;
  int32_t right;
};

// Volume 4096 = 1.0; pan above 0 lowers the left side, below 0 the right;
// a negative depth turns the right side over.
Gains GainsOf(int32_t volume, int32_t pan, int32_t depth) {
  Gains g{volume, volume};
  if (pan > 0) g.left = volume * (4096 - pan) / 4096;
  if (pan < 0) g.right = volume * (4096 + pan) / 4096;
  if (depth < 0) g.right = -g.right;
  return g;
}

// Source samples per output frame in 32.32: rate (16.16) times the source
// rate over the output rate gives frames in 16.16.
uint64_t SampleStep(int32_t rate, int32_t hertz, int32_t channels) {
  int64_t step = static_cast<int64_t>(std::max(rate, 0)) * hertz / MIXER_HERTZ;
  step = std::min<int64_t>(step, INT32_MAX);
  return static_cast<uint64_t>(step) * static_cast<uint64_t>(channels) << 16;
}

// Wraps instead of overflowing: only hundreds of voices at full volume reach
// the limit, and the output is clamped anyway.
inline void Add(int32_t& sum, int32_t value) {
  sum = static_cast<int32_t>(static_cast<uint32_t>(sum) + static_cast<uint32_t>(value));
}

// Frames to mix from: a sound's own, or those a streamed voice gathered from
// its ring. Held in 16-bit words; 8-bit frames read their bytes.
struct Source {
  const int16_t* words;
  int32_t bits;
  int32_t channels;
  int32_t hertz;
  const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(words); }
};

// The sample of channel c at frame index, interpolated towards the next frame
// by f (the fraction's upper 16 bits), as a signed 16-bit value.
template <int Bits, int Channels>
inline int32_t Interpolate(const Source& d, size_t index, int32_t c, int32_t f) {
  const size_t at = index * Channels + static_cast<size_t>(c);
  if constexpr (Bits == 8) {
    const int32_t a = d.Bytes()[at];
    const int32_t b = d.Bytes()[at + Channels];
    return a * 256 + (b - a) * f / 256 - 32768;
  } else {
    const int32_t a = d.words[at];
    const int32_t b = d.words[at + Channels];
    return a + static_cast<int32_t>(static_cast<int64_t>(b - a) * f / 65536);
  }
}

struct Run {
  uint64_t pos;
  uint64_t elapsed;
  uint64_t end;  // length times channels, in 32.32
  bool loop;
};

// Mixes n frames; true when a one-shot voice reached its end. With Ramp, the
// volume (8.8) and the step move by their increments every frame.
template <int Bits, int Channels, bool Ramp>
bool MixFrames(const Source& d, int32_t* acc, int32_t n, Run& run, uint64_t step, int64_t stepInc, int32_t vol88,
               int32_t volInc, Gains gains, int32_t pan, int32_t depth) {
  uint64_t pos = run.pos;
  uint64_t elapsed = run.elapsed;
  bool finished = false;
  for (int32_t i = 0; i < n; ++i) {
    const uint64_t framePos = Channels == 2 ? pos >> 1 : pos;
    const size_t index = static_cast<size_t>(framePos >> 32);
    const int32_t f = static_cast<int32_t>(static_cast<uint32_t>(framePos) >> 16);
    if constexpr (Ramp) gains = GainsOf(vol88 / 256, pan, depth);
    const int32_t left = Interpolate<Bits, Channels>(d, index, 0, f);
    const int32_t right = Channels == 2 ? Interpolate<Bits, Channels>(d, index, 1, f) : left;
    Add(acc[0], left * gains.left / 256);
    Add(acc[1], right * gains.right / 256);
    acc += 2;
    pos += step;
    elapsed += step;
    if constexpr (Ramp) {
      vol88 += volInc;
      step = static_cast<uint64_t>(static_cast<int64_t>(step) + stepInc);
    }
    if (pos >= run.end) {
      if (!run.loop) {
        finished = true;
        break;
      }
      pos %= run.end;
    }
  }
  run.pos = pos;
  run.elapsed = elapsed;
  return finished;
}

template <bool Ramp>
bool MixAny(const Source& d, int32_t* acc, int32_t n, Run& run, uint64_t step, int64_t stepInc, int32_t vol88,
            int32_t volInc, Gains gains, int32_t pan, int32_t depth) {
  if (d.bits == 8) {
    if (d.channels == 1) return MixFrames<8, 1, Ramp>(d, acc, n, run, step, stepInc, vol88, volInc, gains, pan, depth);
    return MixFrames<8, 2, Ramp>(d, acc, n, run, step, stepInc, vol88, volInc, gains, pan, depth);
  }
  if (d.channels == 1) return MixFrames<16, 1, Ramp>(d, acc, n, run, step, stepInc, vol88, volInc, gains, pan, depth);
  return MixFrames<16, 2, Ramp>(d, acc, n, run, step, stepInc, vol88, volInc, gains, pan, depth);
}

// A silent voice only moves on: n steps at once.
bool Skip(int32_t n, Run& run, uint64_t step) {
  const unsigned __int128 distance = static_cast<unsigned __int128>(step) * static_cast<uint32_t>(n);
  const unsigned __int128 to = run.pos + distance;
  if (to < run.end) {
    run.pos = static_cast<uint64_t>(to);
    run.elapsed += static_cast<uint64_t>(distance);
    return false;
  }
  if (run.loop) {
    run.pos = static_cast<uint64_t>(to % run.end);
    run.elapsed += static_cast<uint64_t>(distance);
    return false;
  }
  // Frames until the end, rounded up, as the frame-by-frame path counts them.
  const uint64_t frames = (run.end - run.pos + step - 1) / step;
  run.elapsed += frames * step;
  run.pos += frames * step;
  return true;
}

// Mixes frames output frames of the voice from d over run, ramping rate and
// volume to their targets: true when run reached its end.
bool MixRun(MixerVoice& voice, const Source& d, int32_t* accum, int32_t frames, Run& run) {
  const int32_t rateOld = voice.rateCurrent.load(relaxed);
  const int32_t rateNew = voice.rateTarget.load(relaxed);
  const int32_t volOld = voice.volumeCurrent.load(relaxed);
  const int32_t volNew = voice.volumeTarget.load(relaxed);
  const int32_t pan = voice.panTarget.load(relaxed);
  const int32_t depth = voice.depthTarget.load(relaxed);
  voice.panCurrent.store(pan, relaxed);
  voice.depthCurrent.store(depth, relaxed);
  const uint64_t stepOld = SampleStep(rateOld, d.hertz, d.channels);

  if (rateOld == rateNew && volOld == volNew) {
    if (volOld == 0) return stepOld > 0 && Skip(frames, run, stepOld);
    return MixAny<false>(d, accum, frames, run, stepOld, 0, 0, 0, GainsOf(volOld, pan, depth), pan, depth);
  }
  voice.rateCurrent.store(rateNew, relaxed);
  voice.volumeCurrent.store(volNew, relaxed);
  const uint64_t stepNew = SampleStep(rateNew, d.hertz, d.channels);
  const int64_t stepInc = (static_cast<int64_t>(stepNew) - static_cast<int64_t>(stepOld)) / frames;
  const int32_t volInc = (volNew - volOld) * 256 / frames;
  return MixAny<true>(d, accum, frames, run, stepOld, stepInc, volOld * 256, volInc, Gains{}, pan, depth);
}

// Source frames a block of the voice may read from its position on, with
// the interpolation partner of the last.
uint64_t FramesInReach(const MixerVoice& voice, const StreamFeed& feed, int32_t frames) {
  const uint64_t step = std::max(SampleStep(voice.rateCurrent.load(relaxed), feed.hertz, feed.channels),
                                 SampleStep(voice.rateTarget.load(relaxed), feed.hertz, feed.channels));
  const unsigned __int128 reach =
      (static_cast<unsigned __int128>(voice.position) + static_cast<unsigned __int128>(step) * frames) /
      static_cast<uint64_t>(feed.channels);
  return static_cast<uint64_t>(std::min<unsigned __int128>((reach >> 32) + 2, feed.capacity));
}

// A streamed voice: the frames in reach are gathered from the ring into
// scratch and mixed from there. Running out of decoded frames before the
// data ends is an underrun: the rest of the block stays silent, counted
// once, and the voice goes on from there when the ring has frames again.
VoiceResult MixFromFeed(MixerVoice& voice, int32_t* accum, int32_t frames, int16_t* scratch) {
  StreamFeed& feed = *voice.feed;
  const uint64_t written = feed.written.load(std::memory_order_acquire);
  const uint64_t end = feed.end.load(relaxed);  // stored before written
  const uint64_t base = voice.streamBase;
  const uint64_t gathered = std::min(written - base, FramesInReach(voice, feed, frames));
  const uint64_t first = base % feed.capacity;
  const uint64_t before = std::min<uint64_t>(gathered, feed.capacity - first);
  auto* bytes = reinterpret_cast<uint8_t*>(scratch);
  const auto frameBytes = static_cast<size_t>(feed.frameBytes);
  std::memcpy(bytes, feed.Frame(base), before * frameBytes);
  std::memcpy(bytes + before * frameBytes, feed.Frame(0), (gathered - before) * frameBytes);

  const auto channels = static_cast<uint64_t>(feed.channels);
  const bool endInReach = end != kNoStreamEnd && gathered > 0 && end - base <= gathered - 1;
  const uint64_t limit = endInReach ? end - base : gathered > 0 ? gathered - 1 : 0;
  Run run{voice.position, voice.elapsed.load(relaxed), limit * channels << 32, false};
  bool reached = run.pos >= run.end;
  if (!reached) {
    reached = MixRun(voice, Source{scratch, feed.bits, feed.channels, feed.hertz}, accum, frames, run);
  }
  if (reached && !endInReach) voice.underruns.fetch_add(1, relaxed);
  const uint64_t whole = run.pos / channels >> 32;
  voice.position = run.pos - (whole * channels << 32);
  voice.elapsed.store(run.elapsed, relaxed);
  voice.streamBase = base + whole;
  feed.consumed.store(voice.streamBase, std::memory_order_release);
  return reached && endInReach ? VoiceResult::Finished : VoiceResult::Keep;
}

}  // namespace

VoiceResult MixVoice(MixerVoice& voice, int32_t* accum, int32_t frames, int16_t* scratch) noexcept {
  const int32_t status = voice.status.load(relaxed);
  if (status == VOICE_FREE) return VoiceResult::Free;
  if (status & VOICE_PAUSED) return VoiceResult::Keep;
  if (!(status & (VOICE_ONCE | VOICE_LOOPED))) return VoiceResult::Finished;
  if (voice.startDelay >= frames) {
    voice.startDelay -= frames;
    return VoiceResult::Keep;
  }
  accum += 2 * voice.startDelay;
  frames -= voice.startDelay;
  voice.startDelay = 0;
  if (voice.feed) return MixFromFeed(voice, accum, frames, scratch);

  const SoundData& d = *voice.data;
  Run run{voice.position, voice.elapsed.load(relaxed),
          static_cast<uint64_t>(d.length) * static_cast<uint64_t>(d.channels) << 32, (status & VOICE_LOOPED) != 0};
  if (run.end == 0) return VoiceResult::Finished;  // nothing to play, looping or not
  const bool finished = MixRun(voice, Source{d.words.data(), d.bits, d.channels, d.hertz}, accum, frames, run);
  voice.position = run.pos;
  voice.elapsed.store(run.elapsed, relaxed);
  return finished ? VoiceResult::Finished : VoiceResult::Keep;
}

Mixer::Mixer(int32_t bufferSamples)
    : accum_(static_cast<size_t>(std::max(bufferSamples, 2) & ~1), 0),
      // Left uninitialised: its pages are touched only as streamed voices use them.
      scratch_(new int16_t[static_cast<size_t>(kMostStreamRing) * 2]) {}

void Mixer::MixStep(int16_t* out, int32_t count) noexcept {
  if (count <= 0) count = BufferSamples();
  while (count >= 2) {
    const int32_t part = std::min(count, BufferSamples()) & ~1;
    MixBlock(out, part);
    out += part;
    count -= part;
  }
}

void Mixer::MixBlock(int16_t* out, int32_t count) noexcept {
  TakeStarts();
  FlushRetired();
  int32_t* accum = accum_.data();
  MixerVoice** link = &playing_;
  while (MixerVoice* voice = *link) {
    const VoiceResult result = MixVoice(*voice, accum, count / 2, scratch_.get());
    if (result == VoiceResult::Finished && voice->feed) voice->feed->stop.store(true, relaxed);
    if (result == VoiceResult::Finished && !voice->autoRelease.load(relaxed)) {
      // Its owner may still ask; it leaves when stopped or released.
      voice->status.store(VOICE_FINISHED, relaxed);
    } else if (result != VoiceResult::Keep) {
      *link = voice->next;
      Recycle(voice);
      continue;
    }
    link = &voice->next;
  }
  for (int32_t i = 0; i < count; ++i) {
    const int32_t sum = accum[i];
    out[i] = sum > 524271 ? 32767 : sum < -524288 ? -32768 : static_cast<int16_t>(sum >> 4);
    accum[i] = 0;
  }
}

void Mixer::TakeStarts() noexcept {
  uint32_t read = startRead_.load(relaxed);
  const uint32_t write = startWrite_.load(std::memory_order_acquire);
  if (read == write) return;
  const int32_t now = MixerNow();
  for (; read != write; ++read) {
    MixerVoice* voice = starts_[read % MIXER_RING];
    voice->startDelay = StartDelayFrames(voice->startTime, now);
    voice->next = playing_;
    playing_ = voice;
  }
  startRead_.store(read, std::memory_order_release);
}

void Mixer::Recycle(MixerVoice* voice) noexcept {
  if (voice->feed) {
    voice->feed->stop.store(true, relaxed);  // the decoding thread lets go of it
    ReleaseStreamFeed(voice->feed);
    voice->feed = nullptr;
  }
  ReleaseSoundData(voice->data);
  voice->data = nullptr;
  voice->status.store(VOICE_FREE, relaxed);
  // Kept aside while the ring is full (more voices than it holds finished
  // before the main thread took any back); FlushRetired hands them on later.
  voice->next = retired_;
  retired_ = voice;
  FlushRetired();
}

void Mixer::FlushRetired() noexcept {
  if (!retired_) return;
  uint32_t write = recycleWrite_.load(relaxed);
  const uint32_t read = recycleRead_.load(std::memory_order_acquire);
  while (retired_ && write - read < MIXER_RING) {
    MixerVoice* voice = retired_;
    retired_ = voice->next;
    voice->next = nullptr;
    recycled_[write % MIXER_RING] = voice;
    ++write;
  }
  recycleWrite_.store(write, std::memory_order_release);
}

bool Mixer::CanQueue() const {
  return startWrite_.load(relaxed) - startRead_.load(std::memory_order_acquire) < MIXER_RING;
}

bool Mixer::Queue(MixerVoice* voice) {
  const uint32_t write = startWrite_.load(relaxed);
  if (write - startRead_.load(std::memory_order_acquire) >= MIXER_RING) return false;
  starts_[write % MIXER_RING] = voice;
  startWrite_.store(write + 1, std::memory_order_release);
  return true;
}

MixerVoice* Mixer::Reuse() {
  const uint32_t read = recycleRead_.load(relaxed);
  if (read == recycleWrite_.load(std::memory_order_acquire)) return nullptr;
  MixerVoice* voice = recycled_[read % MIXER_RING];
  recycleRead_.store(read + 1, std::memory_order_release);
  return voice;
}

}  // namespace vtl
