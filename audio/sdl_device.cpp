// The output device over SDL audio: SDL's callback thread runs MixStep in
// blocks of 1024 samples and hands the bytes out as SDL asks for them.
#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "audio/internal/mixer_device.h"
#include "runtime/last_error.h"

namespace vtl {

namespace {

class SDLDevice : public AudioDevice {
 public:
  ~SDLDevice() override { close(); }

  int32_t open() override {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return Refuse();  // no audio driver at all
    started_ = true;
    mix = std::make_unique<Mixer>(MIXER_BLOCK);
    block_.assign(MIXER_BLOCK, 0);
    used_ = MIXER_BLOCK;
    SDL_AudioSpec want{};
    want.freq = MIXER_HERTZ;
    want.format = AUDIO_S16LSB;
    want.channels = MIXER_CHANNELS;
    want.samples = MIXER_BLOCK / MIXER_CHANNELS;
    want.callback = &SDLDevice::Feed;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts when the hardware wants another format.
    id_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id_ == 0) return Refuse();
    SDL_PauseAudioDevice(id_, 0);
    return 0;
  }

  void close() override {
    if (id_ != 0) SDL_CloseAudioDevice(id_);  // waits for a running callback
    id_ = 0;
    if (started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    started_ = false;
    mix.reset();
  }

 private:
  // Keeps SDL's own words for why the output did not open.
  static int32_t Refuse() {
    const char* why = SDL_GetError();
    SetLastErrorText(*why ? String("Audio device did not open: ") + why : String("Audio device did not open"));
    return -1;
  }

  // SDL's audio thread. Mixes whole blocks and copies out what SDL asks
  // for, however it cuts its buffers. Nothing here throws; the guard keeps
  // that so should it change.
  static void SDLCALL Feed(void* self, Uint8* stream, int len) {
    auto* device = static_cast<SDLDevice*>(self);
    try {
      while (len > 0) {
        if (device->used_ == MIXER_BLOCK) {
          device->mix->MixStep(device->block_.data(), MIXER_BLOCK);
          device->used_ = 0;
        }
        const int bytes = std::min(len, static_cast<int>((MIXER_BLOCK - device->used_) * sizeof(int16_t)));
        std::memcpy(stream, device->block_.data() + device->used_, static_cast<size_t>(bytes));
        device->used_ += bytes / static_cast<int>(sizeof(int16_t));
        stream += bytes;
        len -= bytes;
      }
    } catch (...) {
      std::memset(stream, 0, static_cast<size_t>(len));
    }
  }

  SDL_AudioDeviceID id_ = 0;
  bool started_ = false;
  std::vector<int16_t> block_;
  int32_t used_ = MIXER_BLOCK;  // samples of block_ already handed to SDL
};

}  // namespace

std::unique_ptr<AudioDevice> NewSDLDevice() { return std::make_unique<SDLDevice>(); }

}  // namespace vtl
