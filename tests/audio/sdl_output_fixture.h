// A test that opens SDL's audio output: it sets SDL's audio variables for
// itself and puts them back afterwards, and leaves the silent driver current.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/audio.h"
#include "audio/internal/mixer_core.h"

namespace mixer_test {

class SDLOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vtl::InitAudio();
    for (const char* name : {"SDL_AUDIODRIVER", "SDL_DISKAUDIOFILE", "SDL_DISKAUDIODELAY"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  void TearDown() override {
    vtl::SelectAudioDriver("Null");
    vtl::SetMixerClock(nullptr);
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace mixer_test
