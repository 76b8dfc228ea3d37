// The silent base classes, the driver list and the current driver.
#include "audio/driver.h"

#include "runtime/last_error.h"
#include "runtime/registry.h"
#include "runtime/string_ops.h"

namespace vtl {

namespace {

Registry<TAudioDriver>& Drivers() {
  static auto* list = new Registry<TAudioDriver>();  // lives until the process ends
  return *list;
}

Ref<TAudioDriver>& Current() {
  static auto* current = new Ref<TAudioDriver>();  // outlives every at-exit handler
  return *current;
}

// Starts the driver and makes it current. On failure the silent driver stays
// current and LastErrorText says which driver did not start and, when the
// driver said so, why.
bool StartDriver(const Ref<TAudioDriver>& driver) {
  const String before = LastErrorText();
  ClearLastErrorText();  // so that only the driver's own reason is read below
  if (driver->Startup()) {
    SetLastErrorText(before);  // a success leaves the last reason as it was
    Current() = driver;
    return true;
  }
  const String why = LastErrorText();
  const String text = "Audio driver '" + driver->Name() + "' did not start";
  SetLastErrorText(why.Length() > 0 ? text + ": " + why : text);
  return false;
}

}  // namespace

Ref<TAudioDriver> NullAudioDriver;

void TChannel::Stop() {}
void TChannel::SetPaused(int32_t) {}
void TChannel::SetVolume(float) {}
void TChannel::SetPan(float) {}
void TChannel::SetDepth(float) {}
void TChannel::SetRate(float) {}
int32_t TChannel::Playing() { return 0; }
int32_t TChannel::Underruns() { return 0; }

Ref<TChannel> TSound::Play(const Ref<TChannel>&) { return New<TChannel>(); }
Ref<TChannel> TSound::Cue(const Ref<TChannel>&) { return New<TChannel>(); }

Ref<TSound> TSound::Load(const Ref<Object>& url, int32_t flags) {
  Ref<TAudioSample> sample = DowncastObject<TAudioSample>(url);
  if (!sample && (flags & SOUND_STREAM)) return CurrentAudioDriver()->CreateStreamedSound(url, flags);
  if (!sample) sample = LoadSampleUrl(url);
  if (!sample) return nullptr;
  return CurrentAudioDriver()->CreateSound(sample, flags);
}

void TAudioDriver::AfterNew(const Ref<TAudioDriver>& driver) { RegisterAudioDriver(driver); }
String TAudioDriver::Name() { return "Null"; }
int32_t TAudioDriver::Startup() { return 1; }
void TAudioDriver::Shutdown() {}
Ref<TSound> TAudioDriver::CreateSound(const Ref<TAudioSample>&, int32_t) { return New<TSound>(); }
Ref<TChannel> TAudioDriver::AllocChannel() { return New<TChannel>(); }
Ref<TSound> TAudioDriver::LoadSound(const Ref<Object>& url, int32_t flags) { return TSound::Load(url, flags); }
Ref<TSound> TAudioDriver::CreateStreamedSound(const Ref<Object>& url, int32_t flags) {
  Ref<TAudioSample> sample = LoadSampleUrl(url);
  return sample ? CreateSound(sample, flags) : nullptr;
}
Ref<TAudioDriver> TAudioDriver::First() { return Drivers().Head(); }

int32_t RegisterAudioDriver(const Ref<TAudioDriver>& driver) { return Drivers().Add(driver) ? 1 : 0; }

Ref<TAudioDriver> CurrentAudioDriver() {
  if (Current()) return Current();
  Current() = NullAudioDriver;
  const Ref<TAudioDriver>& preferred = Drivers().Head();  // the driver registered last
  if (!preferred || StartDriver(preferred)) return Current();
  const String why = LastErrorText();
  SelectAudioDriver("Null");
  SetLastErrorText("Sound is silent: " + why);
  return Current();
}

int32_t SelectAudioDriver(const String& name) {
  if (Current()) Current()->Shutdown();
  Current() = NullAudioDriver;
  const String wanted = LowerString(name);
  for (const Ref<TAudioDriver>& driver : Drivers()) {
    if (LowerString(driver->Name()) == wanted) return StartDriver(driver) ? 1 : 0;
  }
  SetLastErrorText("No audio driver named '" + name + "'");
  return 0;
}

Ref<Array<String>> ListAudioDrivers() {
  int32_t count = 0;
  for (const Ref<TAudioDriver>& driver : Drivers()) {
    (void)driver;
    if (++count == 100) break;
  }
  Ref<Array<String>> names = NewArray<String>({count});
  int32_t i = 0;
  for (const Ref<TAudioDriver>& driver : Drivers()) {
    if (i == count) break;
    (*names)[i++] = driver->Name();
  }
  return names;
}

int32_t HasAudioDriver(const String& name) {
  const String wanted = LowerString(name);
  for (const Ref<TAudioDriver>& driver : Drivers()) {
    if (LowerString(driver->Name()) == wanted) return 1;
  }
  return 0;
}

void ShutdownAudioDriver() {
  Ref<TAudioDriver> current = std::move(Current());
  Current() = nullptr;
  if (current) current->Shutdown();
}

Ref<TSound> LoadSoundUrl(const Ref<Object>& url, int32_t flags) { return CurrentAudioDriver()->LoadSound(url, flags); }
Ref<TSound> LoadSoundUrl(const String& url, int32_t flags) { return LoadSoundUrl(Ref<Object>(url), flags); }
Ref<TChannel> StartSound(const Ref<TSound>& sound, const Ref<TChannel>& channel) { return sound->Play(channel); }
Ref<TChannel> PrepareSound(const Ref<TSound>& sound, const Ref<TChannel>& channel) { return sound->Cue(channel); }
Ref<TChannel> NewChannel() { return CurrentAudioDriver()->AllocChannel(); }
void HaltChannel(const Ref<TChannel>& channel) { channel->Stop(); }
int32_t IsChannelPlaying(const Ref<TChannel>& channel) { return channel->Playing(); }
void AdjustChannelVolume(const Ref<TChannel>& channel, float volume) { channel->SetVolume(volume); }
void AdjustChannelPan(const Ref<TChannel>& channel, float pan) { channel->SetPan(pan); }
void AdjustChannelDepth(const Ref<TChannel>& channel, float depth) { channel->SetDepth(depth); }
void AdjustChannelRate(const Ref<TChannel>& channel, float rate) { channel->SetRate(rate); }
void FreezeChannel(const Ref<TChannel>& channel) { channel->SetPaused(1); }
void ThawChannel(const Ref<TChannel>& channel) { channel->SetPaused(0); }

}  // namespace vtl
