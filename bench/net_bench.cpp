// Networked objects: one Sync carrying 1,000 objects with 8 changed int
// slots each from a connected host to the listener on 127.0.0.1, counted
// until the listener has taken every change ("messages" per second and
// "bytes_per_message" on the wire, header included); and PackSlots and
// UnpackSlots of those 8 slots beside a memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "net/net.h"

namespace {

using namespace vtl;

constexpr int32_t kObjects = 1000;
constexpr int32_t kSlots = 8;

// Pumps the listener on a thread while the client connects, since
// connecting waits for the answer.
Ref<TGNetHost> Connect(const Ref<TGNetHost>& listener, int32_t port) {
  auto client = NewNetHost();
  std::atomic<bool> connecting = true;
  std::thread helper([&] {
    while (connecting) SyncNetHost(listener);
  });
  const int32_t ok = NetHostConnect(client, "127.0.0.1", port, 2000);
  connecting = false;
  helper.join();
  return ok == 1 ? client : nullptr;
}

void SetSlots(const Ref<TGNetObject>& object, int32_t round) {
  for (int32_t slot = 0; slot < kSlots; ++slot) SetNetInt(object, slot, 100000 + round * kSlots + slot);
}

void BM_SyncChangedObjects(benchmark::State& state) {
  InitNet();
  auto listener = NewNetHost();
  int32_t port = 47300;
  while (NetHostListen(listener, port) == 0 && port < 47400) ++port;
  auto client = Connect(listener, port);
  if (client == nullptr) {
    state.SkipWithError("no connection on 127.0.0.1");
    return;
  }
  std::vector<Ref<TGNetObject>> objects;
  for (int32_t i = 0; i < kObjects; ++i) objects.push_back(NewNetObject(client));
  SyncNetHost(client);
  while (NetObjectsByState(listener, 0)->Count() < kObjects) SyncNetHost(listener);

  int32_t round = 0;
  for (auto _ : state) {
    ++round;
    for (const auto& object : objects) SetSlots(object, round);
    SyncNetHost(client);
    int32_t taken = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (taken < kObjects && std::chrono::steady_clock::now() < giveUp) {
      SyncNetHost(listener);
      SyncNetHost(client);  // keeps the acknowledgements flowing
      taken += NetObjectsByState(listener, 2)->Count();
    }
    if (taken < kObjects) {
      state.SkipWithError("changes lost");
      break;
    }
  }
  const double bytes = objects[0]->PackSlots(0xFF)->Length() + 2;
  state.counters["messages"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kObjects, benchmark::Counter::kIsRate);
  state.counters["bytes_per_message"] = bytes;
  CloseNetHost(client);
  CloseNetHost(listener);
}
BENCHMARK(BM_SyncChangedObjects)->Unit(benchmark::kMillisecond)->UseRealTime();

Ref<TGNetObject> EightSlots() {
  auto object = TGNetObject::Create(1, GNET_SYNCHRONISED, nullptr, nullptr);
  SetSlots(object, 1);
  return object;
}

void BM_PackSlots(benchmark::State& state) {
  auto object = EightSlots();
  for (auto _ : state) benchmark::DoNotOptimize(object->PackSlots(0xFF));
  state.SetBytesProcessed(state.iterations() * object->PackSlots(0xFF)->Length());
}
BENCHMARK(BM_PackSlots);

void BM_UnpackSlots(benchmark::State& state) {
  auto bytes = EightSlots()->PackSlots(0xFF);
  auto object = TGNetObject::Create(1, GNET_SYNCHRONISED, nullptr, nullptr);
  for (auto _ : state) {
    object->UnpackSlots(bytes);
    benchmark::DoNotOptimize(object->_modified);
  }
  state.SetBytesProcessed(state.iterations() * bytes->Length());
}
BENCHMARK(BM_UnpackSlots);

void BM_MemcpySameBytes(benchmark::State& state) {
  auto bytes = EightSlots()->PackSlots(0xFF);
  std::vector<uint8_t> to(static_cast<size_t>(bytes->Length()));
  for (auto _ : state) {
    std::memcpy(to.data(), bytes->Data(), to.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * bytes->Length());
}
BENCHMARK(BM_MemcpySameBytes);

}  // namespace
