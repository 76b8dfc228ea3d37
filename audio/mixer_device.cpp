// The step device and the choice of the device the drivers open.
#include "audio/internal/mixer_device.h"

namespace vtl {

namespace {

std::unique_ptr<audiodevice> (*deviceMaker)() = nullptr;

}  // namespace

int32_t stepdevice::open() {
  mix = std::make_unique<mixer>(MIXER_BLOCK);
  out.assign(MIXER_BLOCK, 0);
  return 0;
}

void stepdevice::close() { mix.reset(); }

const std::vector<int16_t>& stepdevice::Step() {
  mix->MixStep(out.data(), MIXER_BLOCK);
  return out;
}

std::unique_ptr<audiodevice> NewOutputDevice() { return deviceMaker ? deviceMaker() : NewSdlDevice(); }

void SetOutputDeviceMaker(std::unique_ptr<audiodevice> (*make)()) { deviceMaker = make; }

}  // namespace vtl
