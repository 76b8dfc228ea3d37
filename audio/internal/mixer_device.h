// Output devices: what runs MixStep, block by block, on the mixing side.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/internal/mixer_core.h"

namespace vtl {

/// A sound output that owns a mixer while open and runs its MixStep.
class AudioDevice {
 public:
  virtual ~AudioDevice() = default;
  /// Creates the mixer and starts feeding the output: 0 on success.
  virtual int32_t open() = 0;
  /// Stops the feed (no MixStep runs after it returns) and drops the mixer.
  /// Closing a closed device does nothing.
  virtual void close() = 0;

  std::unique_ptr<Mixer> mix;  ///< Set while open.
};

/// A device without output or thread: Step mixes one block of MIXER_BLOCK
/// samples into out when its owner says so. Tests and benchmarks drive the
/// mixer with it.
class StepDevice : public AudioDevice {
 public:
  int32_t open() override;
  void close() override;
  /// Mixes the next block into out and returns it.
  const std::vector<int16_t>& Step();

  std::vector<int16_t> out;
};

/// SDL's default output at 44100 Hz, signed 16-bit, two channels, mixed
/// from SDL's audio callback.
std::unique_ptr<AudioDevice> NewSDLDevice();

/// The device the drivers open: NewSDLDevice unless replaced (nullptr
/// restores it). Main thread.
std::unique_ptr<AudioDevice> NewOutputDevice();
void SetOutputDeviceMaker(std::unique_ptr<AudioDevice> (*make)());

}  // namespace vtl
