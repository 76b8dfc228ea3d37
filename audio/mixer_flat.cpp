// The flat interface over the mixer: sound data, the voice table with its
// serials, and starting, stopping and setting voices from the main thread.
#include "audio/internal/mixer_flat.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/internal/stream_feed.h"
#include "runtime/last_error.h"

namespace vtl {

// A streamed sound's main-thread state. The source is lent to the current
// play's feed while the decoding thread fills it, and comes back when the
// thread lets go (ReclaimStreamSource).
struct StreamSound {
  std::unique_ptr<StreamSource> source;  // nullptr once closed
  StreamFeed* feed = nullptr;            // the current play's ring (a reference)
  MixerVoice* voice = nullptr;           // the current play's voice
  bool dropped = false;                  // the sound object is gone
  bool reported = false;                 // the feed's failure went to LastErrorText
};

namespace {

constexpr auto relaxed = std::memory_order_relaxed;
constexpr int32_t kSlotMask = VOICE_SLOTS - 1;
constexpr uint32_t kSerialStep = VOICE_SLOTS;
constexpr uint32_t kSerialLast = 0x7FFFF000;  // handles stay positive ints

// Serials carry on from one open to the next, so a handle kept from before a
// close never matches a slot of a later table.
uint32_t serialFloor = kSerialStep;

struct VoiceTable {
  MixerVoice* voice[VOICE_SLOTS] = {};  // created on first use
  int32_t free[VOICE_SLOTS] = {};       // entry 0 is the head; 0 ends the list
  uint32_t serial[VOICE_SLOTS] = {};
};

struct MixerState {
  std::unique_ptr<AudioDevice> device;
  std::unique_ptr<VoiceTable> table;
  std::vector<std::unique_ptr<MixerVoice>> voices;  // every voice made while open
  std::vector<MixerVoice*> spare;                   // voices the mixer never saw, ready for use
  std::vector<StreamSound*> streams;                // every streamed sound alive
};

MixerState& State() {
  static auto* state = new MixerState();  // outlives the at-exit shutdown
  return *state;
}

void AdvanceSerial(VoiceTable& table, int32_t slot) {
  uint32_t& serial = table.serial[slot];
  serial = serial >= kSerialLast ? kSerialStep : serial + kSerialStep;
  if (serial > serialFloor) serialFloor = serial;
}

int32_t SlotOf(int32_t handle) {
  MixerState& s = State();
  if (!s.table || handle <= 0) return 0;
  const int32_t slot = handle & kSlotMask;
  if (slot == 0 || s.table->serial[slot] != static_cast<uint32_t>(handle & ~kSlotMask)) return 0;
  return slot;
}

MixerVoice* NewVoice() {
  MixerState& s = State();
  MixerVoice* voice;
  if (!s.spare.empty()) {
    voice = s.spare.back();
    s.spare.pop_back();
  } else {
    s.voices.push_back(std::make_unique<MixerVoice>());
    voice = s.voices.back().get();
  }
  voice->status.store(VOICE_FREE, relaxed);
  voice->autoRelease.store(0, relaxed);
  voice->ResetSettings();
  voice->handle = 0;
  return voice;
}

// The voice of a valid handle, made on the spot for a reserved slot that has
// none yet (it then holds the channel's settings).
MixerVoice* Lookup(int32_t handle) {
  const int32_t slot = SlotOf(handle);
  if (!slot) return nullptr;
  MixerVoice*& voice = State().table->voice[slot];
  if (!voice) {
    voice = NewVoice();
    voice->handle = handle;
  }
  return voice;
}

// Ends a voice that is not free: it stops at the next block. A voice the
// mixer has just recycled stays free.
void Finish(MixerVoice* voice) {
  int32_t status = voice->status.load(relaxed);
  while (status != VOICE_FREE && !voice->status.compare_exchange_weak(status, VOICE_FINISHED, relaxed)) {
  }
}

// A voice remembers the streamed sound it was last started on with a
// reference of the main thread's, so that a streamed sound is always freed,
// and its stream closed, on the main thread.
void SetStarted(MixerVoice* voice, SoundData* data) {
  SoundData* streamed = data && data->stream ? data : nullptr;
  if (voice->started == streamed) return;
  RetainSoundData(streamed);
  ReleaseSoundData(voice->started);
  voice->started = streamed;
}

// Whether the streamed sound's current play is on this voice.
bool PlaysOn(const StreamSound& stream, const MixerVoice* voice, const SoundData* data) {
  return voice && stream.voice == voice && voice->started == data;
}

// The current play ends: the decoding thread lets go of the source, which
// the main thread then owns again.
void EndPlay(StreamSound& stream) {
  if (!stream.feed) return;
  ReclaimStreamSource(*stream.feed);
  ReleaseStreamFeed(stream.feed);
  stream.feed = nullptr;
  stream.voice = nullptr;
}

// Once the sound object is gone and no channel holds its voice, nothing can
// reach the stream any more: the voice stops and the stream is closed.
void EndIfOrphaned(SoundData* data) {
  StreamSound& stream = *data->stream;
  if (!stream.dropped || !stream.source) return;
  MixerVoice* voice = stream.voice;
  if (PlaysOn(stream, voice, data)) {
    if (voice->handle != 0) return;  // a channel may still stop, pause or ask it
    Finish(voice);
  }
  EndPlay(stream);
  stream.source.reset();
}

// A play that ended on damaged data says why, once.
void ReportFailure(const MixerVoice& voice) {
  if (!voice.started || !voice.started->stream) return;
  StreamSound& stream = *voice.started->stream;
  if (!PlaysOn(stream, &voice, voice.started) || !stream.feed || stream.reported) return;
  if (!stream.feed->failed.load(std::memory_order_acquire)) return;
  stream.reported = true;
  const String why = String(stream.feed->failure.c_str());
  SetLastErrorText(stream.source->name.IsEmpty() ? why : stream.source->name + ": " + why);
}

// A new play of a streamed sound: the one before is cut off, the source goes
// back to its first frame, a ring is filled a little on this thread (so the
// voice has frames from its first block) and handed to the decoding thread.
StreamFeed* StartPlay(SoundData& data) {
  StreamSound& stream = *data.stream;
  if (!stream.source) return nullptr;
  if (PlaysOn(stream, stream.voice, &data)) Finish(stream.voice);
  EndPlay(stream);
  StreamSource& source = *stream.source;
  if (!source.fresh) {
    if (!source.decoder->Rewind()) {
      const String why = "the stream cannot seek, so it plays only once";
      SetLastErrorText(source.name.IsEmpty() ? why : source.name + ": " + why);
      return nullptr;
    }
    source.fresh = true;
  }
  auto* feed = new StreamFeed(&source, data.loop != 0);
  constexpr uint32_t kFirstFill = 16384;  // some 370 ms at 44100 Hz
  if (FillStreamFeed(*feed, kFirstFill)) {
    HandOverStreamFeed(feed);
  } else {
    feed->released.store(true, std::memory_order_release);  // all of it is in the ring
  }
  stream.feed = feed;
  stream.reported = false;
  return feed;
}

// The slot forgets its voice. A voice without handle is recycled by the
// mixer as soon as it finishes; a paused one is finished now, as nothing can
// resume it any more; one the mixer never saw is spare at once.
void Unmap(int32_t slot) {
  MixerState& s = State();
  MixerVoice* voice = s.table->voice[slot];
  if (!voice) return;
  s.table->voice[slot] = nullptr;
  voice->handle = 0;
  voice->autoRelease.store(1, relaxed);
  if (voice->status.load(relaxed) & VOICE_PAUSED) Finish(voice);
  if (!voice->inMixer) s.spare.push_back(voice);
  if (voice->started && voice->started->stream) EndIfOrphaned(voice->started);
}

void FreeSlot(int32_t slot) {
  VoiceTable& table = *State().table;
  AdvanceSerial(table, slot);
  table.free[slot] = table.free[0];
  table.free[0] = slot;
}

// A voice to start: one the mixer recycled (freeing the handle it still
// held, unless that is the handle it starts on again), or a spare or new one.
MixerVoice* TakeVoice(int32_t handle) {
  MixerState& s = State();
  MixerVoice* voice = s.device->mix->Reuse();
  if (!voice) return NewVoice();
  voice->inMixer = false;
  if (voice->handle && voice->handle != handle) {
    const int32_t slot = voice->handle & kSlotMask;
    s.table->voice[slot] = nullptr;
    voice->handle = 0;
    FreeSlot(slot);
  }
  return voice;
}

// value times scale, truncated, within [low, high]; NaN gives 0.
int32_t Fixed(float value, double scale, double low, double high) {
  if (std::isnan(value)) return 0;
  return static_cast<int32_t>(std::clamp(static_cast<double>(value) * scale, low, high));
}

}  // namespace

int32_t MixerOpen(std::unique_ptr<AudioDevice> device) {
  MixerClose();
  if (!device) return -1;
  if (device->open() != 0) {
    device->close();
    return -1;
  }
  MixerState& s = State();
  s.device = std::move(device);
  s.table = std::make_unique<VoiceTable>();
  for (int32_t slot = 0; slot < VOICE_SLOTS; ++slot) {
    s.table->free[slot] = slot + 1 < VOICE_SLOTS ? slot + 1 : 0;
    s.table->serial[slot] = serialFloor;
  }
  return 0;
}

void MixerClose() {
  MixerState& s = State();
  if (!s.device) return;
  s.device->close();  // no MixStep runs after this
  s.device.reset();
  StopStreamDecoding();  // every source is the main thread's again
  for (StreamSound* stream : s.streams) EndPlay(*stream);
  for (const std::unique_ptr<MixerVoice>& voice : s.voices) {
    ReleaseStreamFeed(voice->feed);
    ReleaseSoundData(voice->data);
    SetStarted(voice.get(), nullptr);
  }
  s.voices.clear();
  s.spare.clear();
  s.table.reset();
}

AudioDevice* MixerDevice() { return State().device.get(); }

SoundData* MixerMakeSound(int32_t length, int32_t bits, int32_t channels, int32_t hertz, const void* frames,
                          int32_t loop) {
  if (!State().device) return nullptr;
  return NewSoundData(length, bits, channels, hertz, frames, loop);
}

SoundData* MixerMakeStreamSound(std::unique_ptr<StreamSource> source, int32_t loop) {
  MixerState& s = State();
  if (!s.device || !source || !source->decoder) return nullptr;
  const StreamDecoder& decoder = *source->decoder;
  auto* data = new SoundData();
  data->hertz = decoder.hertz;
  data->channels = decoder.channels;
  data->bits = decoder.bits;
  data->frameBytes = decoder.FrameBytes();
  data->loop = loop != 0;
  data->stream.reset(new StreamSound());
  data->stream->source = std::move(source);
  s.streams.push_back(data->stream.get());
  return data;
}

void MixerDropSound(SoundData* sound) {
  if (sound && sound->stream) {
    sound->stream->dropped = true;
    EndIfOrphaned(sound);
  }
  ReleaseSoundData(sound);
}

void StreamSoundDeleter::operator()(StreamSound* stream) const {
  EndPlay(*stream);
  std::vector<StreamSound*>& streams = State().streams;
  streams.erase(std::remove(streams.begin(), streams.end(), stream), streams.end());
  delete stream;
}

int32_t MixerReserveVoice() {
  MixerState& s = State();
  if (!s.table) return 0;
  VoiceTable& table = *s.table;
  const int32_t slot = table.free[0];
  if (slot == 0) return 0;
  table.free[0] = table.free[slot];
  table.free[slot] = 0;
  AdvanceSerial(table, slot);
  return slot + static_cast<int32_t>(table.serial[slot]);
}

void MixerReleaseVoice(int32_t handle) {
  const int32_t slot = SlotOf(handle);
  if (!slot) return;
  Unmap(slot);
  FreeSlot(slot);
}

int32_t MixerStartSound(SoundData* data, int32_t paused, int32_t handle) {
  MixerState& s = State();
  if (!s.device || !data || !s.device->mix->CanQueue()) return 0;
  MixerVoice* previous = nullptr;
  if (handle) {
    previous = Lookup(handle);
    if (!previous) return 0;
  }
  StreamFeed* feed = data->stream ? StartPlay(*data) : nullptr;
  if (data->stream && !feed) return 0;
  const int32_t used = handle ? handle : MixerReserveVoice();
  MixerVoice settings;
  if (previous) settings.CopySettings(*previous);  // before the voice object may be reused

  MixerVoice* voice = TakeVoice(used);
  voice->CopySettings(settings);
  RetainSoundData(data);
  voice->data = data;
  SetStarted(voice, data);
  RetainStreamFeed(feed);
  voice->feed = feed;
  voice->streamBase = 0;
  voice->underruns.store(0, relaxed);
  if (feed) data->stream->voice = voice;
  voice->channels = data->channels;
  voice->position = 0;
  voice->elapsed.store(0, relaxed);
  voice->next = nullptr;
  voice->startDelay = 0;
  voice->startTime = MixerNow();
  voice->status.store((data->loop ? VOICE_LOOPED : VOICE_ONCE) | (paused ? VOICE_PAUSED : 0), relaxed);
  voice->autoRelease.store(handle ? 0 : 1, relaxed);
  voice->handle = used;
  if (used) {
    const int32_t slot = used & kSlotMask;
    MixerVoice* old = s.table->voice[slot];
    if (old && old != voice) {
      // Cut off at the next block and recycled there: it has no channel now.
      old->handle = 0;
      old->autoRelease.store(1, relaxed);
      Finish(old);
      if (!old->inMixer) s.spare.push_back(old);
    }
    s.table->voice[slot] = voice;
  }
  voice->inMixer = true;
  s.device->mix->Queue(voice);  // room was checked above
  return used;
}

void MixerStopVoice(int32_t handle) {
  const int32_t slot = SlotOf(handle);
  if (!slot) return;
  if (MixerVoice* voice = State().table->voice[slot]) Finish(voice);
  MixerReleaseVoice(handle);  // also makes it auto-release
}

int32_t MixerVoiceStatus(int32_t handle) {
  MixerVoice* voice = Lookup(handle);
  if (!voice) return 0;
  const int32_t status = voice->status.load(relaxed);
  if (!(status & (VOICE_ONCE | VOICE_LOOPED))) ReportFailure(*voice);
  return status;
}

void MixerPauseVoice(int32_t handle, int32_t paused) {
  MixerVoice* voice = Lookup(handle);
  if (!voice) return;
  int32_t status = voice->status.load(relaxed);
  // Only a playing voice pauses; one that finished or was recycled stays so.
  while (status & (VOICE_ONCE | VOICE_LOOPED)) {
    const int32_t wanted = paused ? status | VOICE_PAUSED : status & ~VOICE_PAUSED;
    if (voice->status.compare_exchange_weak(status, wanted, relaxed)) break;
  }
}

// Volume and depth saturate at the 16-bit range instead of wrapping over to
// the other sign; pan stops at full left and right, beyond which a side
// would turn over; a rate below 0 is 0.
void MixerVoiceVolume(int32_t handle, float volume) {
  if (MixerVoice* voice = Lookup(handle)) voice->SetVolume(Fixed(volume, 4096, -32768, 32767));
}

void MixerVoicePan(int32_t handle, float pan) {
  if (MixerVoice* voice = Lookup(handle)) voice->SetPan(Fixed(pan, 4096, -4096, 4096));
}

void MixerVoiceDepth(int32_t handle, float depth) {
  if (MixerVoice* voice = Lookup(handle)) voice->SetDepth(Fixed(depth, 4096, -32768, 32767));
}

void MixerVoiceRate(int32_t handle, float rate) {
  if (MixerVoice* voice = Lookup(handle)) voice->SetRate(Fixed(rate, 65536, 0, INT32_MAX));
}

int32_t MixerVoicePosition(int32_t handle) {
  MixerVoice* voice = Lookup(handle);
  return voice ? voice->Position() : 0;
}

int64_t MixerStreamFramesAhead(const SoundData* sound) {
  if (!sound || !sound->stream || !sound->stream->feed) return -1;
  const StreamFeed& feed = *sound->stream->feed;
  const uint64_t written = feed.written.load(std::memory_order_acquire);
  if (feed.end.load(relaxed) != kNoStreamEnd) return -1;
  return static_cast<int64_t>(written - feed.consumed.load(std::memory_order_acquire));
}

int32_t MixerVoiceUnderruns(int32_t handle) {
  MixerVoice* voice = Lookup(handle);
  return voice ? static_cast<int32_t>(voice->underruns.load(relaxed)) : 0;
}

}  // namespace vtl
