/// \file
/// Playback: TSound (a sample prepared for one driver), TChannel (one voice
/// that plays a sound), TAudioDriver (a named back end), the registry of
/// drivers, the choice of the current driver, and the free functions programs
/// call. The base classes are the silent driver "Null", which is current
/// whenever no real driver can start: every operation then succeeds quietly.
#pragma once

#include <cstdint>

#include "audio/sample.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

/// Sound flag: the sound loops.
constexpr int32_t SOUND_LOOP = 1;
/// Sound flag: the sound is streamed from its file as it plays instead of
/// being decoded whole first, in constant memory (see TSound::Load). Ignored
/// where a TAudioSample is passed in.
constexpr int32_t SOUND_STREAM = 2;

/// One voice playing a sound. The base does nothing and reports 0.
class TChannel : public Object {
 public:
  /// Stops the sound.
  virtual void Stop();
  /// Pauses (1) or resumes (0).
  virtual void SetPaused(int32_t paused);
  /// Volume, 1.0 being the sound as recorded.
  virtual void SetVolume(float volume);
  /// Pan from -1 (left) to 1 (right).
  virtual void SetPan(float pan);
  /// Depth; a negative depth inverts the right channel.
  virtual void SetDepth(float depth);
  /// Playback rate, 1.0 being the recorded rate.
  virtual void SetRate(float rate);
  /// 1 while the voice is audible (started, not finished, not paused).
  virtual int32_t Playing();
  /// How often the voice, playing a streamed sound, found no decoded frames
  /// ready and played silence instead: one count per block of output
  /// (some 12 ms) that ran dry. 0 for other sounds; the base returns 0.
  /// Starting a sound on the channel counts from 0 again.
  virtual int32_t Underruns();
};

/// A sample prepared for one driver.
class TSound : public Object {
 public:
  /// Plays the sound on channel (or on a new voice when channel is Null) and
  /// returns the channel it plays on. The base returns a new silent channel.
  virtual Ref<TChannel> Play(const Ref<TChannel>& channel);
  /// As Play, but paused, ready to start with SetPaused(0).
  virtual Ref<TChannel> Cue(const Ref<TChannel>& channel);

  /// The url may be a TAudioSample or anything LoadSampleUrl opens; the
  /// current driver's sound for it, or the Null object when nothing loads.
  /// flags: SOUND_LOOP, SOUND_STREAM. With SOUND_STREAM (and a url that is
  /// not a sample) the current driver's CreateStreamedSound makes the sound:
  /// the mixer keeps the stream open and decodes it while it plays.
  static Ref<TSound> Load(const Ref<Object>& url, int32_t flags);
};

/// A named audio back end. Making one with New puts it at the head of the
/// driver list, once it is whole: a driver whose constructor throws is never
/// listed. The base is the silent driver "Null".
class TAudioDriver : public Object {
 public:
  /// Called by New for every driver made: RegisterAudioDriver(driver).
  static void AfterNew(const Ref<TAudioDriver>& driver);
  /// "Null" in the base.
  virtual String Name();
  /// Starts the back end; nonzero on success. The base returns 1.
  virtual int32_t Startup();
  /// Stops the back end.
  virtual void Shutdown();
  /// A sound for the sample; flags: SOUND_LOOP. The base returns a silent sound.
  virtual Ref<TSound> CreateSound(const Ref<TAudioSample>& sample, int32_t flags);
  /// A channel to play sounds on (the Null object when none is free).
  virtual Ref<TChannel> AllocChannel();
  /// TSound::Load(url, flags).
  virtual Ref<TSound> LoadSound(const Ref<Object>& url, int32_t flags);
  /// A sound streamed from url (a stream or a name) as it plays; flags:
  /// SOUND_LOOP. The base, for drivers that cannot stream, loads the whole
  /// sample (LoadSampleUrl) and returns CreateSound's sound; the Null object
  /// when nothing loads.
  virtual Ref<TSound> CreateStreamedSound(const Ref<Object>& url, int32_t flags);

  /// The head of the driver list; follow _succ for the others.
  static Ref<TAudioDriver> First();

  Ref<TAudioDriver> _succ;  ///< The driver registered before this one, or Null.
};

/// The silent driver, registered first when the audio module starts.
extern Ref<TAudioDriver> NullAudioDriver;

/// Puts the driver at the head of the driver list, where it is found first
/// and becomes the default: 1 when it was linked in, 0 for the Null object or
/// a driver already in the list (which stays where it is).
int32_t RegisterAudioDriver(const Ref<TAudioDriver>& driver);

/// The current driver. The first call starts the driver registered last (with
/// the framework's own modules "ZuveRerer"); when that does not start it
/// selects "Null", and LastErrorText then says that sound is silent and why.
Ref<TAudioDriver> CurrentAudioDriver();
/// Shuts the current driver down, then starts the registered driver of that
/// name (letter case ignored) and makes it current: 1 on success. On failure
/// the silent driver stays current, the answer is 0 and LastErrorText says
/// whether no driver has that name or why it did not start.
int32_t SelectAudioDriver(const String& name);
/// The names of the registered drivers, newest first, at most 100.
Ref<Array<String>> ListAudioDrivers();
/// 1 when a registered driver has that name, letter case ignored.
int32_t HasAudioDriver(const String& name);

/// The current driver's LoadSound.
///@{
Ref<TSound> LoadSoundUrl(const Ref<Object>& url, int32_t flags = 0);
Ref<TSound> LoadSoundUrl(const String& url, int32_t flags = 0);
///@}
/// sound->Play(channel).
Ref<TChannel> StartSound(const Ref<TSound>& sound, const Ref<TChannel>& channel = nullptr);
/// sound->Cue(channel).
Ref<TChannel> PrepareSound(const Ref<TSound>& sound, const Ref<TChannel>& channel = nullptr);
/// The current driver's AllocChannel.
Ref<TChannel> NewChannel();
/// channel->Stop().
void HaltChannel(const Ref<TChannel>& channel);
/// channel->Playing().
int32_t IsChannelPlaying(const Ref<TChannel>& channel);
/// channel->SetVolume(volume).
void AdjustChannelVolume(const Ref<TChannel>& channel, float volume);
/// channel->SetPan(pan).
void AdjustChannelPan(const Ref<TChannel>& channel, float pan);
/// channel->SetDepth(depth).
void AdjustChannelDepth(const Ref<TChannel>& channel, float depth);
/// channel->SetRate(rate).
void AdjustChannelRate(const Ref<TChannel>& channel, float rate);
/// channel->SetPaused(1).
void FreezeChannel(const Ref<TChannel>& channel);
/// channel->SetPaused(0).
void ThawChannel(const Ref<TChannel>& channel);

}  // namespace vtl
