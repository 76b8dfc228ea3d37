// Sound, no window: a tone made in code plays while its volume ramps up and
// its pan sweeps from left to right; then a WAV file written by the program
// is loaded and played three times, left, centre and right.
//   example_sound
// With no audio device the silent driver takes every call, so the program
// runs the same, without sound.
#include <cmath>
#include <iostream>
#include <numbers>

#include "framework/framework.h"

namespace {

using namespace vtl;

constexpr int32_t kRate = 44100;

// One second of a 440 Hz sine, 16-bit mono: looped, it plays endlessly.
Ref<TAudioSample> MakeTone() {
  Ref<TAudioSample> tone = NewAudioSample(kRate, kRate, AUDIO_MONO16LE);
  auto* frames = reinterpret_cast<int16_t*>(tone->samples);
  for (int32_t i = 0; i < kRate; ++i) {
    frames[i] = static_cast<int16_t>(12000 * std::sin(2 * std::numbers::pi * 440 * i / kRate));
  }
  return tone;
}

// A quarter-second falling chirp, written as an 8-bit mono WAV file.
void WriteChirp(const String& path) {
  constexpr int32_t frames = kRate / 4;
  Ref<TStream> file = LittleEndianView(OpenWriteStream(path));
  file->WriteString("RIFF");
  file->WriteInt(36 + frames);
  file->WriteString("WAVEfmt ");
  file->WriteInt(16);                     // format chunk length
  file->WriteShort(1);                    // PCM
  file->WriteShort(1);                    // mono
  file->WriteInt(kRate);                  // frames per second
  file->WriteInt(kRate);                  // bytes per second
  file->WriteShort(1);                    // block alignment
  file->WriteShort(8);                    // bits per sample
  file->WriteString("data");
  file->WriteInt(frames);
  double phase = 0;
  for (int32_t i = 0; i < frames; ++i) {
    const double hertz = 1200 - 800.0 * i / frames;
    phase += 2 * std::numbers::pi * hertz / kRate;
    const double fade = 1.0 - static_cast<double>(i) / frames;
    file->WriteByte(static_cast<int32_t>(128 + 100 * fade * std::sin(phase)));
  }
  file->Close();
}

void Main() {
  InitFramework();
  Ref<TSound> tone = LoadSoundUrl(MakeTone(), SOUND_LOOP);
  Ref<TChannel> channel = PrepareSound(tone);  // paused, so it starts silent
  AdjustChannelVolume(channel, 0);
  AdjustChannelPan(channel, -1);
  ThawChannel(channel);
  std::cout << "tone: volume 0 to 1 while the pan sweeps left to right\n";
  for (int32_t step = 0; step <= 100; ++step) {
    AdjustChannelVolume(channel, std::min(1.0f, step / 50.0f));  // the mixer ramps between calls
    AdjustChannelPan(channel, -1 + step / 50.0f);
    SleepMillis(20);
  }
  HaltChannel(channel);

  WriteChirp("chirp.wav");
  Ref<TAudioSample> chirp = LoadSampleUrl("chirp.wav");
  std::cout << "chirp.wav: " << chirp->length << " frames at " << chirp->hertz << " Hz, format "
            << chirp->format << "\n";
  Ref<TSound> sound = LoadSoundUrl(chirp);
  for (float pan : {-1.0f, 0.0f, 1.0f}) {
    std::cout << "chirp at pan " << pan << "\n";
    Ref<TChannel> voice = PrepareSound(sound);
    AdjustChannelPan(voice, pan);
    ThawChannel(voice);
    SleepMillis(350);
  }
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
