// The mixer's flat interface: sounds, voice handles and the open device.
// Main thread only; the mixing side is reached through the mixer's rings.
//
// A handle is slot + serial. Slot 0 is never handed out, so 4095 handles can
// be held at once. A slot's serial grows by 4096 when the slot is reserved
// and again when it is released, so a handle is valid exactly while its
// reservation lasts; every function given another does nothing and returns 0.
#pragma once

#include <cstdint>
#include <memory>

#include "audio/internal/mixer_core.h"
#include "audio/internal/mixer_device.h"
#include "audio/internal/stream_source.h"

namespace vtl {

constexpr int32_t VOICE_SLOTS = 4096;

/// Opens the device (closing any open one first); on success the voice
/// table is made. 0 on success, else -1 (the device is closed and dropped).
int32_t MixerOpen(std::unique_ptr<AudioDevice> device);
/// Closes the device, then drops every voice and the voice table.
void MixerClose();
/// The open device, or nullptr.
AudioDevice* MixerDevice();

/// A new sound with a copy of the frames, or nullptr when no device is open
/// or the shape is not playable.
SoundData* MixerMakeSound(int32_t length, int32_t bits, int32_t channels, int32_t hertz, const void* frames,
                          int32_t loop);
/// A streamed sound over an opened source, which it takes over, or nullptr
/// when no device is open. loop: at the end it goes back to the first frame.
SoundData* MixerMakeStreamSound(std::unique_ptr<StreamSource> source, int32_t loop);
/// Drops one reference (also with no device open). For a streamed sound this
/// is the sound object going: once no channel holds the voice playing it,
/// that voice stops and the stream is closed.
void MixerDropSound(SoundData* sound);

/// A free handle, or 0 when all 4095 are taken.
int32_t MixerReserveVoice();
/// Frees the handle's slot. The voice plays on, if it plays, and is recycled
/// when it finishes.
void MixerReleaseVoice(int32_t handle);
/// Starts the sound (paused: 1) on the handle's channel, cutting off what it
/// played and keeping its settings, or on a new handle when handle is 0.
/// Returns the handle the voice plays on; 0 when nothing started, or when it
/// started without a handle because none was free. A streamed sound plays on
/// one voice at a time: starting it again cuts off that voice and plays from
/// the first frame, waiting for the decoding thread to let go of the stream
/// (one decoding step); a stream that cannot seek plays only once (0, with
/// LastErrorText saying so, the second time).
int32_t MixerStartSound(SoundData* sound, int32_t paused, int32_t handle);
/// Stops the voice and frees its handle.
void MixerStopVoice(int32_t handle);
/// The voice's status bits, 0 for an invalid handle. When a streamed voice
/// ended early because its data turned out damaged, the first call to see
/// it sets LastErrorText to the reason.
int32_t MixerVoiceStatus(int32_t handle);
/// Pauses (1) or resumes (0) a playing voice.
void MixerPauseVoice(int32_t handle, int32_t paused);
/// Targets: volume, pan and depth as 4096 = 1.0, rate as 65536 = 1.0.
void MixerVoiceVolume(int32_t handle, float volume);
void MixerVoicePan(int32_t handle, float pan);
void MixerVoiceDepth(int32_t handle, float depth);
void MixerVoiceRate(int32_t handle, float rate);
/// Frames played by the voice since its start.
int32_t MixerVoicePosition(int32_t handle);
/// Frames the current play of a streamed sound has decoded beyond what its
/// voice consumed; -1 once all its data is decoded, or when it does not
/// play or is not streamed. Lets tests and the benchmark keep pace with the
/// decoding thread.
int64_t MixerStreamFramesAhead(const SoundData* sound);
/// Blocks in which the voice, playing a streamed sound, found its ring
/// without the frames it needed and stayed silent; 0 for other voices.
int32_t MixerVoiceUnderruns(int32_t handle);

}  // namespace vtl
