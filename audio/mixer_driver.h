/// \file
/// The software mixer as an audio driver: every playing voice is mixed into
/// one 44100 Hz 16-bit stereo stream and played through the desktop's sound
/// output. Registered as "ZuveRerer Multimedia" and "ZuveRerer" (the
/// default driver); both start only when an output device opens.
#pragma once

#include <cstdint>

#include "audio/driver.h"
#include "audio/sample.h"
#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

struct SoundData;

/// The mixer driver. Mode 0 opens the desktop's sound output; mode -1 tries
/// every output this desktop has (here the same one); any other mode has no
/// output here and does not start.
class TZuveRererAudioDriver : public TAudioDriver {
 public:
  /// The name given to Create.
  String Name() override;
  /// Opens the output by _mode: 1 when it opened.
  int32_t Startup() override;
  /// Closes the output; every voice stops and every channel's handle goes
  /// stale.
  void Shutdown() override;
  /// A sound holding the mixer's own copy of the frames (16-bit big-endian
  /// samples are turned little-endian first); the Null object for a format
  /// without channels. flags: SOUND_LOOP.
  Ref<TSound> CreateSound(const Ref<TAudioSample>& sample, int32_t flags) override;
  /// A channel with a voice handle of its own, or the Null object when all
  /// 4095 are taken.
  Ref<TChannel> AllocChannel() override;
  /// A sound that keeps url's stream open and plays it as the mixer's
  /// decoding thread decodes it (WAV or Ogg Vorbis), about a second ahead of
  /// the voice, in constant memory. flags: SOUND_LOOP, which goes back to the
  /// first frame seamlessly. The Null object when nothing opens or the data
  /// is neither format (LastErrorText says why); a stream that cannot seek
  /// and SOUND_LOOP raise a runtime error. A sample passed as url is loaded
  /// as CreateSound does.
  Ref<TSound> CreateStreamedSound(const Ref<Object>& url, int32_t flags) override;

  /// A new driver, at the head of the driver list.
  static Ref<TZuveRererAudioDriver> Create(const String& name, int32_t mode);

  String _name;       ///< The name it answers to.
  int32_t _mode = 0;  ///< 0 the desktop's output, -1 any output, 1 none here.
};

/// A sound of the mixer driver. A streamed sound plays on one voice at a
/// time: playing it again cuts that voice off and starts from the first
/// frame (a stream that cannot seek plays only once: Play then returns the
/// Null object). Once the sound and every channel playing it are dropped,
/// its voice stops and its stream is closed.
class TZuveRererSound : public TSound {
 public:
  /// Drops the sound's reference; voices still playing it keep theirs (a
  /// streamed sound's voice only while a channel holds it).
  ~TZuveRererSound() override;
  /// Starts the sound on channel (Null: a new voice) and returns the channel
  /// it plays on: channel itself, a new channel, or the Null object when
  /// nothing started, channel is not one of this driver's, or no handle was
  /// free (the sound then still plays, to its end).
  Ref<TChannel> Play(const Ref<TChannel>& channel) override;
  /// As Play, paused.
  Ref<TChannel> Cue(const Ref<TChannel>& channel) override;

  /// A sound over the mixer's data (the sound takes over that reference).
  static Ref<TZuveRererSound> CreateWithSound(SoundData* fa_sound, const Ref<TAudioSample>& sample);

  SoundData* fa_sound = nullptr;  ///< The mixer's copy of the frames.

 private:
  Ref<TChannel> Start(const Ref<TChannel>& channel, int32_t paused);
};

/// A voice handle of the mixer driver. A channel that a new sound is played
/// on cuts off the old one and keeps its volume, pan, depth and rate.
class TZuveRererChannel : public TChannel {
 public:
  /// Frees the handle; a sound still playing goes on to its end.
  ~TZuveRererChannel() override;
  /// Stops the voice and gives up the handle.
  void Stop() override;
  /// Pauses (1) or resumes (0).
  void SetPaused(int32_t paused) override;
  /// Volume, 1.0 as recorded; ramps over one block.
  void SetVolume(float volume) override;
  /// Pan from -1 (left) to 1 (right).
  void SetPan(float pan) override;
  /// Depth; negative turns the right side over.
  void SetDepth(float depth) override;
  /// Rate, 1.0 as recorded; ramps over one block.
  void SetRate(float rate) override;
  /// 1 while started, not finished and not paused.
  int32_t Playing() override;
  /// Blocks of output in which a streamed sound had no decoded frames ready.
  int32_t Underruns() override;
  /// Frames played since the sound started.
  virtual int32_t Position();

  /// A channel over a voice handle.
  static Ref<TZuveRererChannel> CreateWithChannel(int32_t handle);

  int32_t fa_channel = 0;  ///< The voice handle, 0 once stopped.
};

}  // namespace vtl
