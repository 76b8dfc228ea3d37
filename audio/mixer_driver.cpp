// The mixer driver classes over the flat interface.
#include "audio/mixer_driver.h"

#include "audio/internal/mixer_flat.h"
#include "runtime/exceptions.h"
#include "runtime/last_error.h"

namespace vtl {

String TZuveRererAudioDriver::Name() { return _name; }

int32_t TZuveRererAudioDriver::Startup() {
  // This desktop has one sound output; the other mode has none here.
  if (_mode != 0 && _mode != -1) {
    SetLastErrorText("This desktop has no sound output of that kind");
    return 0;
  }
  return MixerOpen(NewOutputDevice()) == 0 ? 1 : 0;
}

void TZuveRererAudioDriver::Shutdown() { MixerClose(); }

Ref<TSound> TZuveRererAudioDriver::CreateSound(const Ref<TAudioSample>& sample, int32_t flags) {
  Ref<TAudioSample> source = sample;
  if (source->format == AUDIO_MONO16BE) source = source->Convert(AUDIO_MONO16LE);
  if (source->format == AUDIO_STEREO16BE) source = source->Convert(AUDIO_STEREO16LE);
  const int32_t channels = ChannelsOfSampleFormat(source->format);
  if (channels == 0) return nullptr;
  const int32_t bits = BytesPerSampleFrame(source->format) * 8 / channels;
  SoundData* data =
      MixerMakeSound(source->length, bits, channels, source->hertz, source->samples, (flags & SOUND_LOOP) ? 1 : 0);
  return TZuveRererSound::CreateWithSound(data, sample);
}

Ref<TChannel> TZuveRererAudioDriver::AllocChannel() {
  const int32_t handle = MixerReserveVoice();
  if (handle == 0) return nullptr;
  return TZuveRererChannel::CreateWithChannel(handle);
}

Ref<TSound> TZuveRererAudioDriver::CreateStreamedSound(const Ref<Object>& url, int32_t flags) {
  if (Ref<TAudioSample> sample = DowncastObject<TAudioSample>(url)) return CreateSound(sample, flags);
  std::unique_ptr<StreamSource> source = OpenStreamSource(url);
  if (!source) return nullptr;  // it said why
  const bool loop = (flags & SOUND_LOOP) != 0;
  if (loop && !source->decoder->seekable) {
    const String why = "A stream that cannot seek cannot loop";
    RuntimeError(source->name.IsEmpty() ? why : why + ": " + source->name);
  }
  SoundData* data = MixerMakeStreamSound(std::move(source), loop ? 1 : 0);
  if (!data) return nullptr;
  return TZuveRererSound::CreateWithSound(data, nullptr);
}

Ref<TZuveRererAudioDriver> TZuveRererAudioDriver::Create(const String& name, int32_t mode) {
  Ref<TZuveRererAudioDriver> driver = New<TZuveRererAudioDriver>();
  driver->_name = name;
  driver->_mode = mode;
  return driver;
}

TZuveRererSound::~TZuveRererSound() { MixerDropSound(fa_sound); }

Ref<TChannel> TZuveRererSound::Play(const Ref<TChannel>& channel) { return Start(channel, 0); }
Ref<TChannel> TZuveRererSound::Cue(const Ref<TChannel>& channel) { return Start(channel, 1); }

Ref<TChannel> TZuveRererSound::Start(const Ref<TChannel>& channel, int32_t paused) {
  Ref<TZuveRererChannel> own = DowncastObject<TZuveRererChannel>(channel);
  if (channel && !own) return nullptr;
  const int32_t handle = MixerStartSound(fa_sound, paused, own ? own->fa_channel : 0);
  if (handle == 0) return nullptr;
  if (own && own->fa_channel == handle) return own;
  return TZuveRererChannel::CreateWithChannel(handle);
}

Ref<TZuveRererSound> TZuveRererSound::CreateWithSound(SoundData* fa_sound, const Ref<TAudioSample>&) {
  Ref<TZuveRererSound> sound = New<TZuveRererSound>();
  sound->fa_sound = fa_sound;
  return sound;
}

TZuveRererChannel::~TZuveRererChannel() { MixerReleaseVoice(fa_channel); }

void TZuveRererChannel::Stop() {
  MixerStopVoice(fa_channel);
  fa_channel = 0;
}

void TZuveRererChannel::SetPaused(int32_t paused) { MixerPauseVoice(fa_channel, paused); }
void TZuveRererChannel::SetVolume(float volume) { MixerVoiceVolume(fa_channel, volume); }
void TZuveRererChannel::SetPan(float pan) { MixerVoicePan(fa_channel, pan); }
void TZuveRererChannel::SetDepth(float depth) { MixerVoiceDepth(fa_channel, depth); }
void TZuveRererChannel::SetRate(float rate) { MixerVoiceRate(fa_channel, rate); }

int32_t TZuveRererChannel::Playing() {
  const int32_t status = MixerVoiceStatus(fa_channel);
  return status != 0 && !(status & (VOICE_FINISHED | VOICE_PAUSED)) ? 1 : 0;
}

int32_t TZuveRererChannel::Position() { return MixerVoicePosition(fa_channel); }
int32_t TZuveRererChannel::Underruns() { return MixerVoiceUnderruns(fa_channel); }

Ref<TZuveRererChannel> TZuveRererChannel::CreateWithChannel(int32_t handle) {
  Ref<TZuveRererChannel> channel = New<TZuveRererChannel>();
  channel->fa_channel = handle;
  return channel;
}

}  // namespace vtl
