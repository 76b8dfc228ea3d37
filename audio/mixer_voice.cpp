// Sound data with its guard frame, the voice's settings and the mixer's clock.
#include <atomic>
#include <cstring>

#include "audio/internal/mixer_core.h"
#include "system/timer.h"

namespace vtl {

namespace {

std::atomic<int32_t (*)()> mixerClock{nullptr};

constexpr auto relaxed = std::memory_order_relaxed;

// A voice that is not sounding takes a setting at once: ramps only smooth a
// change the listener hears.
bool Silent(const MixerVoice& voice) {
  const int32_t status = voice.status.load(relaxed);
  return (status & VOICE_PAUSED) || !(status & (VOICE_ONCE | VOICE_LOOPED));
}

}  // namespace

SoundData* NewSoundData(int32_t length, int32_t bits, int32_t channels, int32_t hertz, const void* frames,
                        int32_t loop) {
  if (bits < 8) bits = 8;
  if ((bits != 8 && bits != 16) || (channels != 1 && channels != 2) || length < 0 || hertz <= 0) return nullptr;
  if (length > 0 && frames == nullptr) return nullptr;
  const int32_t frameBytes = channels * bits / 8;
  const int64_t total = static_cast<int64_t>(length) * frameBytes;
  if (total > INT32_MAX - frameBytes) return nullptr;
  auto* data = new SoundData();
  data->hertz = hertz;
  data->channels = channels;
  data->bits = bits;
  data->frameBytes = frameBytes;
  data->length = length;
  data->totalBytes = static_cast<int32_t>(total);
  data->loop = loop != 0;
  data->words.assign(static_cast<size_t>((total + frameBytes + 1) / 2), 0);
  auto* bytes = reinterpret_cast<uint8_t*>(data->words.data());
  if (length > 0) {
    std::memcpy(bytes, frames, static_cast<size_t>(total));
    const int32_t guardSource = loop ? 0 : length - 1;
    std::memcpy(bytes + total, bytes + static_cast<int64_t>(guardSource) * frameBytes, static_cast<size_t>(frameBytes));
  } else if (bits == 8) {
    std::memset(bytes, 128, static_cast<size_t>(frameBytes));  // silence
  }
  return data;
}

void RetainSoundData(SoundData* data) {
  if (data) data->refs.fetch_add(1, relaxed);
}

void ReleaseSoundData(SoundData* data) {
  // acq_rel: whichever thread frees the data sees every use the other made.
  if (data && data->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete data;
}

void MixerVoice::SetRate(int32_t rate) {
  rateTarget.store(rate, relaxed);
  if (Silent(*this)) rateCurrent.store(rate, relaxed);
}

void MixerVoice::SetVolume(int32_t volume) {
  volumeTarget.store(volume, relaxed);
  if (Silent(*this)) volumeCurrent.store(volume, relaxed);
}

void MixerVoice::SetPan(int32_t pan) {
  panTarget.store(pan, relaxed);
  if (Silent(*this)) panCurrent.store(pan, relaxed);
}

void MixerVoice::SetDepth(int32_t depth) { depthTarget.store(depth, relaxed); }

int32_t MixerVoice::GetRate(int32_t which) const { return (which ? rateTarget : rateCurrent).load(relaxed); }
int32_t MixerVoice::GetVolume(int32_t which) const { return (which ? volumeTarget : volumeCurrent).load(relaxed); }
int32_t MixerVoice::GetPan(int32_t which) const { return (which ? panTarget : panCurrent).load(relaxed); }
int32_t MixerVoice::GetDepth(int32_t which) const { return (which ? depthTarget : depthCurrent).load(relaxed); }

int32_t MixerVoice::Position() const {
  return static_cast<int32_t>((elapsed.load(relaxed) >> 32) / static_cast<uint64_t>(channels));
}

void MixerVoice::ResetSettings() {
  rateCurrent.store(0x10000, relaxed);
  rateTarget.store(0x10000, relaxed);
  volumeCurrent.store(4096, relaxed);
  volumeTarget.store(4096, relaxed);
  panCurrent.store(0, relaxed);
  panTarget.store(0, relaxed);
  depthCurrent.store(0, relaxed);
  depthTarget.store(0, relaxed);
}

void MixerVoice::CopySettings(const MixerVoice& from) {
  rateCurrent.store(from.GetRate(0), relaxed);
  rateTarget.store(from.GetRate(1), relaxed);
  volumeCurrent.store(from.GetVolume(0), relaxed);
  volumeTarget.store(from.GetVolume(1), relaxed);
  panCurrent.store(from.GetPan(0), relaxed);
  panTarget.store(from.GetPan(1), relaxed);
  depthCurrent.store(from.GetDepth(0), relaxed);
  depthTarget.store(from.GetDepth(1), relaxed);
}

int32_t MixerNow() {
  int32_t (*clock)() = mixerClock.load(std::memory_order_acquire);
  return clock ? clock() : CurrentMillis();
}

void SetMixerClock(int32_t (*clock)()) { mixerClock.store(clock, std::memory_order_release); }

int32_t StartDelayFrames(int32_t startTime, int32_t now) {
  // Wrapping difference: the clock is a 32-bit count that may turn over.
  int32_t left =
      static_cast<int32_t>(static_cast<uint32_t>(startTime) + MIXER_START_DELAY_MS - static_cast<uint32_t>(now));
  if (left <= 0) return 0;
  if (left > MIXER_START_DELAY_MS) left = MIXER_START_DELAY_MS;  // a clock that went back waits no longer
  return left * MIXER_HERTZ / 1000;
}

}  // namespace vtl
