#include "audio/audio.h"

#include "audio/internal/audio_parts.h"
#include "runtime/class_record.h"
#include "runtime/module.h"
#include "runtime/program.h"
#include "stream/stream.h"
#include "system/system.h"

namespace vtl {

namespace {

void RegisterAudioClasses() {
  ClassBuilder<TAudioSample, Object>("TAudioSample")
      .Field<&TAudioSample::length>("length")
      .Field<&TAudioSample::hertz>("hertz")
      .Field<&TAudioSample::format>("format")
      .Field<&TAudioSample::capacity>("capacity")
      .Method<&TAudioSample::Copy>("Copy")
      .Method<&TAudioSample::Convert>("Convert")
      .Register();
  ClassBuilder<TAudioSampleLoader, Object>("TAudioSampleLoader")
      .Field<&TAudioSampleLoader::_succ>("_succ")
      .Method<&TAudioSampleLoader::LoadAudioSample>("LoadAudioSample")
      .Register();
  ClassBuilder<TSound, Object>("TSound").Method<&TSound::Play>("Play").Method<&TSound::Cue>("Cue").Register();
  ClassBuilder<TChannel, Object>("TChannel")
      .Method<&TChannel::Stop>("Stop")
      .Method<&TChannel::SetPaused>("SetPaused")
      .Method<&TChannel::SetVolume>("SetVolume")
      .Method<&TChannel::SetPan>("SetPan")
      .Method<&TChannel::SetDepth>("SetDepth")
      .Method<&TChannel::SetRate>("SetRate")
      .Method<&TChannel::Playing>("Playing")
      .Register();
  ClassBuilder<TAudioDriver, Object>("TAudioDriver")
      .Field<&TAudioDriver::_succ>("_succ")
      .Method<&TAudioDriver::Name>("Name")
      .Method<&TAudioDriver::Startup>("Startup")
      .Method<&TAudioDriver::Shutdown>("Shutdown")
      .Method<&TAudioDriver::CreateSound>("CreateSound")
      .Method<&TAudioDriver::AllocChannel>("AllocChannel")
      .Method<&TAudioDriver::LoadSound>("LoadSound")
      .Register();
}

}  // namespace

void InitAudio() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
  InitStream();
  InitSystem();
  RegisterAudioClasses();
  // Registered before any real driver, so it stands last in the driver list
  // and is the default only when no other driver is registered.
  NullAudioDriver = New<TAudioDriver>();
  RegisterAudioDriver(NullAudioDriver);
  AtExit(ShutdownAudioDriver);
  RegisterMixerDrivers();
  CreateSampleLoaders();
}

}  // namespace vtl
