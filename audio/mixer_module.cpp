#include "audio/internal/audio_parts.h"
#include "audio/mixer_driver.h"
#include "runtime/class_record.h"

namespace vtl {

void RegisterMixerDrivers() {
  ClassBuilder<TZuveRererAudioDriver, TAudioDriver>("TZuveRererAudioDriver")
      .Field<&TZuveRererAudioDriver::_name>("_name")
      .Field<&TZuveRererAudioDriver::_mode>("_mode")
      .Register();
  ClassBuilder<TZuveRererSound, TSound>("TZuveRererSound").Register();
  ClassBuilder<TZuveRererChannel, TChannel>("TZuveRererChannel")
      .Field<&TZuveRererChannel::fa_channel>("fa_channel")
      .Method<&TZuveRererChannel::Position>("Position")
      .Register();
  // Newest first in the list: "ZuveRerer", registered last, is found before
  // "ZuveRerer Multimedia" and is the default driver. There is no second kind
  // of output here, so no driver for it.
  RegisterAudioDriver(TZuveRererAudioDriver::Create("ZuveRerer Multimedia", 0));
  RegisterAudioDriver(TZuveRererAudioDriver::Create("ZuveRerer", -1));
}

}  // namespace vtl
