// Networked objects, no window: two hosts on this machine share a moving
// ball. The listening host owns the ball and moves it; the connecting host
// sees each position arrive and answers with a message to the ball, which
// the owner waits for before the next move. Each host runs on a thread of
// its own (a program holds one host, and connecting waits for the answer).
//   example_net_objects
#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

#include "framework/framework.h"

namespace {

using namespace vtl;

constexpr int32_t kSteps = 8;
constexpr int32_t kX = 0, kY = 1, kStep = 2, kName = 3;  // the ball's slots

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

// Owns the ball: one move per answer, then the ball is closed.
void RunOwner(std::atomic<int32_t>& port, std::atomic<bool>& failed) {
  auto host = NewNetHost();
  int32_t tried = 47100;
  while (NetHostListen(host, tried) == 0) {
    if (++tried == 47200) {
      failed = true;
      return;
    }
  }
  port = tried;

  auto ball = NewNetObject(host);
  SetNetString(ball, kName, "ball");
  int32_t answered = -1, moved = -1;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (answered < kSteps - 1 && std::chrono::steady_clock::now() < giveUp) {
    if (moved == answered) {
      moved = answered + 1;
      SetNetInt(ball, kStep, moved);
      SetNetFloat(ball, kX, 20.0f * moved);
      SetNetFloat(ball, kY, 100.0f - 2.5f * moved * moved);
    }
    SyncNetHost(host);
    for (Ref<TGNetObject> message : NetHostMessages(host)->Each<TGNetObject>()) {
      if (NetMessageTarget(message) == ball) answered = GetNetInt(message, 0);
    }
    Pause();
  }
  CloseNetObject(ball);
  for (int i = 0; i < 50; ++i, Pause()) SyncNetHost(host);  // let the closing go out
  CloseNetHost(host);
}

void Main() {
  InitFramework();
  std::atomic<int32_t> port = 0;
  std::atomic<bool> failed = false;
  std::thread owner(RunOwner, std::ref(port), std::ref(failed));
  while (port == 0 && !failed) Pause();

  auto host = NewNetHost();
  if (failed || NetHostConnect(host, "127.0.0.1", port, 2000) == 0) {
    std::cout << "could not connect\n";
    owner.join();
    return;
  }
  bool closed = false;
  int32_t shown = -1;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!closed && std::chrono::steady_clock::now() < giveUp) {
    SyncNetHost(host);
    for (Ref<TGNetObject> ball : NetObjectsByState(host, 0)->Each<TGNetObject>()) {
      if (NetObjectState(ball) == GNET_CLOSED) continue;
      const int32_t step = GetNetInt(ball, kStep);
      if (step == shown) continue;
      shown = step;
      std::cout << GetNetString(ball, kName) << " at (" << GetNetFloat(ball, kX) << ", " << GetNetFloat(ball, kY)
                << ")\n";
      auto answer = NewNetMessage(host);
      SetNetInt(answer, 0, step);
      SendNetMessage(answer, ball);
    }
    for (Ref<TGNetObject> ball : NetObjectsByState(host, 3)->Each<TGNetObject>()) {
      std::cout << GetNetString(ball, kName) << " closed by its owner\n";
      closed = true;
    }
    Pause();
  }
  CloseNetHost(host);
  owner.join();
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
