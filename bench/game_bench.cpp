// The real game frame in an 800 x 600 window with three allies and twenty
// attackers on the map, paced by the 60 Hz frame tick. Reports frames per
// second, processor use of one core and peak memory. Needs an X display.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <limits>

#include "game/game.h"
#include "framework/framework.h"
#include "graphics/graphics.h"
#include "system/system.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Units that neither die nor let the game end while it is measured.
void Harden(const vtl::Ref<game::TUnit>& unit) { unit->hp = unit->max_hp = 1000000000; }

void BM_GameFrameWithTwentyThreeUnits(benchmark::State& state) {
  if (!std::getenv("DISPLAY")) {
    state.SkipWithError("needs an X display");
    return;
  }
  vtl::RestoreData(game::MapData);
  vtl::InitFramework();
  game::ResetGameState();
  vtl::ApplicationTitle = "CryptVenture";
  if (vtl::OpenGraphics(800, 600, 0, 60, 0) == nullptr) {
    state.SkipWithError("cannot open a window");
    return;
  }
  game::TileSheet = vtl::LoadAnimatedImage(vtl::String(CRYPTVENTURE_DIR "/gfx.png"), 32, 32, 0, 16, -1);
  if (game::TileSheet == nullptr) {
    state.SkipWithError("gfx.png is missing; build the cryptventure target first");
    return;
  }
  game::SetUpDungeon(vtl::CurrentMillis());
  game::LastSpawnTime = std::numeric_limits<int32_t>::max() / 2;  // no newcomers
  for (vtl::Ref<game::TUnit> u : game::UnitList->Each<game::TUnit>()) Harden(u);
  for (int32_t i = 0; i < 20; ++i) {
    vtl::Ref<game::TUnit> attacker = game::TUnit::Create(game::kSideAttacker, i % 3);
    // Spread them over the corridors as if they had walked in.
    for (int32_t step = 0; step < 7 * i; ++step) attacker->Move();
    Harden(attacker);
  }

  const double cpuStart = CpuSeconds();
  const auto wallStart = std::chrono::steady_clock::now();
  for (auto _ : state) {
    benchmark::DoNotOptimize(game::PlayFrame(vtl::CurrentMillis()));
  }
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double cpu = CpuSeconds() - cpuStart;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["fps"] = static_cast<double>(state.iterations()) / wall;
  state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / wall;
  state.counters["peak_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  state.counters["units"] = game::UnitList->Count();
  vtl::CloseOpenedGraphics();
}

}  // namespace

// 1200 frames: 20 seconds at 60 frames a second.
BENCHMARK(BM_GameFrameWithTwentyThreeUnits)->Iterations(1200)->UseRealTime()->Unit(benchmark::kMillisecond);
