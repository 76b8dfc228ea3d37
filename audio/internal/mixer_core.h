// The mixing core: sounds as the mixer holds them (SoundData), voices
// (MixerVoice) and the Mixer that adds every playing voice into one block of
// 44100 Hz signed 16-bit stereo.
//
// Two threads meet here. The main thread starts voices (the start queue),
// takes finished voices back for reuse (the recycle ring) and writes single
// voice fields (targets, status, auto-release). The mixing side alone runs
// MixStep and walks the playing list. Each ring has one writer and one
// reader; its indices are atomics with acquire/release, so the voice handed
// over is seen whole. Shared voice fields are relaxed atomics, written whole.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace vtl {

struct StreamFeed;
struct StreamSound;

constexpr int32_t MIXER_HERTZ = 44100;        ///< Output frames per second.
constexpr int32_t MIXER_CHANNELS = 2;         ///< Output samples per frame.
constexpr int32_t MIXER_BLOCK = 1024;         ///< Output samples per block (512 frames).
constexpr int32_t MIXER_START_DELAY_MS = 20;  ///< A voice sounds this long after its start.
constexpr uint32_t MIXER_RING = 4096;         ///< Entries of the start queue and the recycle ring.

/// Voice status bits.
constexpr int32_t VOICE_FREE = 0;
constexpr int32_t VOICE_FINISHED = 1;
constexpr int32_t VOICE_ONCE = 2;
constexpr int32_t VOICE_LOOPED = 4;
constexpr int32_t VOICE_PAUSED = 0x10;

/// Frees a streamed sound's main-thread state.
struct StreamSoundDeleter {
  void operator()(StreamSound* stream) const;
};

/// One loaded sound. Counted: the sound object holds one reference and every
/// voice started on it one more. The last release, on either thread, frees it.
/// A streamed sound has no frames of its own: stream holds its source, which
/// only the main thread touches, and each play gets a ring (StreamFeed).
struct SoundData {
  int32_t hertz = 0;
  int32_t channels = 0;    // 1 or 2
  int32_t bits = 0;        // 8 (unsigned) or 16 (signed, little-endian)
  int32_t frameBytes = 0;  // channels * bits / 8
  int32_t length = 0;      // frames
  int32_t totalBytes = 0;  // length * frameBytes
  std::atomic<int32_t> refs{1};
  int32_t loop = 0;
  // length + 1 frames: the guard frame after the last repeats the first frame
  // of a looping sound and the last frame of any other, so that interpolation
  // past the end reads sound. Held as 16-bit words so 16-bit sources are read
  // without casts; 8-bit sources read its bytes.
  std::vector<int16_t> words;
  std::unique_ptr<StreamSound, StreamSoundDeleter> stream;  // main thread only

  const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(words.data()); }
};

/// A new SoundData with a copy of length frames and its guard frame, or
/// nullptr for a shape the mixer cannot play (bits other than 8 or 16,
/// channels other than 1 or 2, a negative length, a rate of 0 or less).
SoundData* NewSoundData(int32_t length, int32_t bits, int32_t channels, int32_t hertz, const void* frames,
                        int32_t loop);
/// One more reference.
void RetainSoundData(SoundData* data);
/// One reference less; the last frees the data.
void ReleaseSoundData(SoundData* data);

/// One voice. The targets, the current values, status and auto-release are
/// shared between the threads; the rest belongs to whichever side holds the
/// voice (the main thread until it is queued, the mixing side until it is
/// recycled).
class MixerVoice {
 public:
  virtual ~MixerVoice() = default;

  /// Rate in 16.16 (0x10000 = 1.0): sets the target, and the current value
  /// while the voice does not sound (paused, finished or not started), so
  /// that it starts at that value instead of ramping to it.
  virtual void SetRate(int32_t rate);
  /// Volume, 4096 = 1.0; as SetRate.
  virtual void SetVolume(int32_t volume);
  /// Pan, -4096 left to 4096 right; as SetRate.
  virtual void SetPan(int32_t pan);
  /// Depth; only its sign counts. Sets the target only.
  virtual void SetDepth(int32_t depth);
  /// which: 0 the current value, 1 the target.
  virtual int32_t GetRate(int32_t which) const;
  virtual int32_t GetVolume(int32_t which) const;
  virtual int32_t GetPan(int32_t which) const;
  virtual int32_t GetDepth(int32_t which) const;
  /// Frames played since the start.
  virtual int32_t Position() const;

  /// Puts every setting back to the defaults: rate 1.0, volume 1.0, pan 0,
  /// depth 0.
  void ResetSettings();
  /// Copies the current and target settings of another voice.
  void CopySettings(const MixerVoice& from);

  std::atomic<int32_t> status{VOICE_FREE};
  std::atomic<int32_t> autoRelease{0};
  std::atomic<int32_t> rateCurrent{0x10000}, rateTarget{0x10000};
  std::atomic<int32_t> volumeCurrent{4096}, volumeTarget{4096};
  std::atomic<int32_t> panCurrent{0}, panTarget{0};
  std::atomic<int32_t> depthCurrent{0}, depthTarget{0};
  std::atomic<uint64_t> elapsed{0};    // 32.32 samples since the start, never wrapped
  std::atomic<uint32_t> underruns{0};  // blocks a streamed voice ran out of frames in

  // Main thread only.
  int32_t handle = 0;            // its voice handle, or 0
  int32_t channels = 1;          // of its sound, for Position
  bool inMixer = false;          // queued and not yet taken back from the recycle ring
  SoundData* started = nullptr;  // the streamed sound it was last started on (a reference)

  // Handed over through the rings.
  MixerVoice* next = nullptr;  // link in the playing list (mixing side)
  SoundData* data = nullptr;   // what it plays; holds a reference
  StreamFeed* feed = nullptr;  // a streamed sound's ring; holds a reference
  uint64_t streamBase = 0;     // the ring's frame that position counts from
  uint64_t position = 0;       // 32.32 read position in samples
  int32_t startTime = 0;       // millisecond clock at the start
  int32_t startDelay = 0;      // output frames still to wait
};

/// The millisecond clock the mixer reads: vtl::CurrentMillis unless a test
/// put another in place. Read from both threads.
int32_t MixerNow();
/// Replaces the clock (nullptr restores the real one).
void SetMixerClock(int32_t (*clock)());

/// Adds every playing voice into one output block.
class Mixer {
 public:
  /// An accumulation buffer of bufferSamples ints (left and right
  /// interleaved).
  explicit Mixer(int32_t bufferSamples);

  /// Mixing side: mixes count output samples (0: the buffer's size; larger
  /// counts are mixed in buffer-sized parts) into out.
  void MixStep(int16_t* out, int32_t count) noexcept;

  /// Main thread: hands a started voice to the mixing side; false when the
  /// start queue is full.
  bool Queue(MixerVoice* voice);
  /// Main thread: whether Queue would take a voice now.
  bool CanQueue() const;
  /// Main thread: a voice the mixing side has finished with, or nullptr.
  MixerVoice* Reuse();

  int32_t BufferSamples() const { return static_cast<int32_t>(accum_.size()); }
  int32_t hertz = MIXER_HERTZ;
  int32_t channels = MIXER_CHANNELS;

 private:
  void MixBlock(int16_t* out, int32_t count) noexcept;
  void TakeStarts() noexcept;
  void Recycle(MixerVoice* voice) noexcept;
  void FlushRetired() noexcept;

  std::vector<int32_t> accum_;
  std::unique_ptr<int16_t[]> scratch_;  // a streamed voice's frames of one block
  MixerVoice* playing_ = nullptr;
  // Recycled voices waiting for room in the recycle ring (mixing side only).
  MixerVoice* retired_ = nullptr;

  MixerVoice* starts_[MIXER_RING] = {};
  std::atomic<uint32_t> startWrite_{0};  // main thread advances
  std::atomic<uint32_t> startRead_{0};   // mixing side advances
  MixerVoice* recycled_[MIXER_RING] = {};
  std::atomic<uint32_t> recycleWrite_{0};  // mixing side advances
  std::atomic<uint32_t> recycleRead_{0};   // main thread advances
};

/// Output frames of start delay for a voice started at startTime when the
/// mixer takes it at now: what is left of the 20 ms.
int32_t StartDelayFrames(int32_t startTime, int32_t now);

/// The result of mixing one voice into a block.
enum class VoiceResult { Free, Keep, Finished };

/// Frames of the largest ring a streamed voice reads (StreamFeed).
constexpr uint32_t kMostStreamRing = (1u << 18) + 4096;

/// Mixes one voice into frames output frames of accum (interleaved left,
/// right). A streamed voice gathers its frames into scratch, which holds
/// kMostStreamRing stereo 16-bit frames. Exposed for the benchmark and
/// tests; MixStep calls it per voice.
VoiceResult MixVoice(MixerVoice& voice, int32_t* accum, int32_t frames, int16_t* scratch = nullptr) noexcept;

}  // namespace vtl
