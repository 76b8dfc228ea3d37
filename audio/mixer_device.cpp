// The step device and the choice of the device the drivers open.
#include "audio/internal/mixer_device.h"

namespace vtl {

namespace {

std::unique_ptr<AudioDevice> (*deviceMaker)() = nullptr;

}  // namespace

int32_t StepDevice::open() {
  mix = std::make_unique<Mixer>(MIXER_BLOCK);
  out.assign(MIXER_BLOCK, 0);
  return 0;
}

void StepDevice::close() { mix.reset(); }

const std::vector<int16_t>& StepDevice::Step() {
  mix->MixStep(out.data(), MIXER_BLOCK);
  return out;
}

std::unique_ptr<AudioDevice> NewOutputDevice() { return deviceMaker ? deviceMaker() : NewSDLDevice(); }

void SetOutputDeviceMaker(std::unique_ptr<AudioDevice> (*make)()) { deviceMaker = make; }

}  // namespace vtl
