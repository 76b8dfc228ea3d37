#include "net_load_peers.h"

#include <enet/enet.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <random>
#include <thread>
#include <vector>

#include "net/net.h"
#include "net_load_trace.h"

namespace netload {

namespace {

using namespace vtl;

// Slots that say whose an object is, away from the ones that change; the
// magic number keeps objects made of a hostile client's random bytes from
// passing for an honest client's.
constexpr int32_t kIdentitySlot = 30;
constexpr int32_t kMagicSlot = 31;
constexpr int32_t kLoopback = 0x7F000001;

int32_t Identity(int32_t client, int32_t object) { return client * 1000 + object; }
int32_t Magic(int32_t identity) {
  return static_cast<int32_t>((static_cast<uint32_t>(identity) * 2246822519u) ^ 0x5EEDC0DEu);
}

// Slot 0 carries the frame; the others a value of client, object, slot and
// frame, mostly needing all four bytes.
int32_t SlotValue(int32_t client, int32_t object, int32_t slot, int32_t frame) {
  if (slot == 0) return frame;
  const uint32_t mixed = static_cast<uint32_t>(frame) * 2654435761u ^
                         (static_cast<uint32_t>(client) * 7919u + static_cast<uint32_t>(object) * 131u +
                          static_cast<uint32_t>(slot) * 31u);
  return static_cast<int32_t>(mixed & 0x7FFFFFFFu);
}

void WriteLine(int fd, const std::string& text) {
  const std::string line = text + "\n";
  for (size_t at = 0; at < line.size();) {
    const ssize_t n = write(fd, line.data() + at, line.size() - at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    at += static_cast<size_t>(n);
  }
}

// The listener's side of the conversation: the "go" line with the start
// time, then the end of the pipe when the run is over.
class ControlPipe {
 public:
  explicit ControlPipe(int fd) : fd_(fd) { fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK); }

  void Poll() {
    char bytes[256];
    for (;;) {
      const ssize_t n = read(fd_, bytes, sizeof bytes);
      if (n > 0) {
        text_.append(bytes, static_cast<size_t>(n));
        continue;
      }
      if (n == 0) ended_ = true;
      break;
    }
    if (!go_ && text_.find('\n') != std::string::npos && text_.rfind("go ", 0) == 0) {
      go_ = true;
      start_ = Clock::time_point(Clock::duration(std::stoll(text_.substr(3))));
    }
  }
  bool Go() const { return go_; }
  bool Ended() const { return ended_; }
  Clock::time_point Start() const { return start_; }

 private:
  int fd_;
  std::string text_;
  bool go_ = false;
  bool ended_ = false;
  Clock::time_point start_;
};

// What one honest client has seen of every other honest client's objects.
class Tracker {
 public:
  Tracker(const LoadPlan& plan, int32_t self)
      : plan_(plan), self_(self), seen_(plan.clients * 1000), last_(plan.clients * 1000, -1) {}

  // Checks everything the last Sync brought.
  void Take(const Ref<TGNetHost>& host) {
    for (Ref<TGNetObject> object : NetObjectsByState(host, 1)->Each<TGNetObject>()) {
      ++received;
      const int32_t id = HonestIdentity(object);
      if (id < 0) continue;
      if (seen_[id] != nullptr && seen_[id]->State() != GNET_DEAD && seen_[id]->State() != GNET_CLOSED) {
        Fail("a second object for " + std::to_string(id));
      }
      if (seen_[id] == nullptr) ++known_;
      seen_[id] = object;
      Check(object, id);
    }
    for (Ref<TGNetObject> object : NetObjectsByState(host, 2)->Each<TGNetObject>()) {
      ++received;
      const int32_t id = HonestIdentity(object);
      if (id < 0) continue;
      if (seen_[id] != object) Fail("a change to an object never announced: " + std::to_string(id));
      Check(object, id);
    }
    for (Ref<TGNetObject> object : NetObjectsByState(host, 3)->Each<TGNetObject>()) {
      ++received;
      if (HonestIdentity(object) >= 0) Fail("an honest object was closed: " + std::to_string(HonestIdentity(object)));
    }
    if (host->Peers()->Count() == 0) Fail("the listener is gone");
  }

  // Every object of every other honest client holds its last frame's values.
  bool Complete() const { return complete_ == (plan_.HonestClients() - 1) * plan_.objects; }
  // Every object of every other honest client has been announced.
  bool KnowsAll() const { return known_ == (plan_.HonestClients() - 1) * plan_.objects; }

  // The other clients whose objects lack their final values, with the
  // lowest frame seen of each.
  std::string Missing() const {
    std::string text;
    for (int32_t client = 0; client < plan_.HonestClients(); ++client) {
      if (client == self_) continue;
      int32_t lowest = plan_.Frames();
      for (int32_t index = 0; index < plan_.objects; ++index) lowest = std::min(lowest, last_[Identity(client, index)]);
      if (lowest < plan_.Frames()) text += " client " + std::to_string(client) + " at frame " + std::to_string(lowest);
    }
    return text;
  }

  int64_t received = 0;
  std::string failure;

 private:
  void Fail(const std::string& why) {
    if (failure.empty()) failure = why;
  }

  // The object's identity when it is another honest client's, else -1.
  int32_t HonestIdentity(const Ref<TGNetObject>& object) const {
    const int32_t id = object->GetInt(kIdentitySlot);
    const int32_t client = id / 1000, index = id % 1000;
    if (id < 0 || client >= plan_.HonestClients() || client == self_ || index >= plan_.objects) return -1;
    return object->GetInt(kMagicSlot) == Magic(id) ? id : -1;
  }

  void Check(const Ref<TGNetObject>& object, int32_t id) {
    const int32_t frame = object->GetInt(0);
    if (frame < last_[id]) Fail("stale values for " + std::to_string(id));
    if (frame > plan_.Frames()) Fail("a frame that never was for " + std::to_string(id));
    for (int32_t slot = 1; slot < plan_.slots; ++slot) {
      if (object->GetInt(slot) != SlotValue(id / 1000, id % 1000, slot, frame)) {
        Fail("slot " + std::to_string(slot) + " of " + std::to_string(id) + " does not match its frame");
      }
    }
    if (frame == plan_.Frames() && last_[id] != frame) ++complete_;
    last_[id] = frame;
  }

  const LoadPlan& plan_;
  int32_t self_;
  std::vector<Ref<TGNetObject>> seen_;
  std::vector<int32_t> last_;
  int32_t complete_ = 0;
  int32_t known_ = 0;
};

void SetFrame(const Ref<TGNetObject>& object, const LoadPlan& plan, int32_t client, int32_t index, int32_t frame) {
  for (int32_t slot = 0; slot < plan.slots; ++slot) SetNetInt(object, slot, SlotValue(client, index, slot, frame));
}

// Syncs once a frame until done() holds or the control pipe ends.
template <class Done>
void SyncUntil(const Ref<TGNetHost>& host, Tracker* tracker, ControlPipe& control, const LoadPlan& plan,
               Clock::time_point deadline, Done done) {
  for (auto next = Clock::now(); !done() && !control.Ended() && Clock::now() < deadline;) {
    next += plan.FramePeriod();
    std::this_thread::sleep_until(next);
    SyncNetHost(host);
    if (tracker != nullptr) tracker->Take(host);
    control.Poll();
  }
}

std::string HonestRun(const LoadPlan& plan, int32_t self, ControlPipe& control, int results) {
  InitNet();
  auto host = NewNetHost();
  if (NetHostConnect(host, "127.0.0.1", plan.port, 10000) != 1) return "fail could not connect";
  std::vector<Ref<TGNetObject>> own;
  for (int32_t index = 0; index < plan.objects; ++index) {
    auto object = NewNetObject(host);
    SetNetInt(object, kIdentitySlot, Identity(self, index));
    SetNetInt(object, kMagicSlot, Magic(Identity(self, index)));
    SetFrame(object, plan, self, index, 0);
    own.push_back(object);
  }
  Tracker tracker(plan, self);
  // Ready once every client's objects are here: the run measures the
  // changes, not the announcing.
  SyncUntil(host, &tracker, control, plan, Clock::now() + std::chrono::seconds(25),
            [&] { return tracker.KnowsAll() || !tracker.failure.empty(); });
  if (!tracker.failure.empty()) return "fail " + tracker.failure;
  WriteLine(results, "ready");
  SyncUntil(host, &tracker, control, plan, Clock::time_point::max(), [&] { return control.Go(); });
  if (!control.Go()) return "fail no go";
  const int64_t receivedAtGo = tracker.received;
  const double cpuAtGo = CpuSeconds();

  // Frame f is due at start + (f - 1) periods; one that starts a whole
  // period late counts as late, and the frames after it run at once.
  int32_t late = 0;
  for (int32_t frame = 1; frame <= plan.Frames() && !control.Ended(); ++frame) {
    const auto due = control.Start() + plan.FramePeriod() * (frame - 1);
    std::this_thread::sleep_until(due);
    if (Clock::now() - due > plan.FramePeriod()) ++late;
    for (int32_t index = 0; index < plan.objects; ++index) SetFrame(own[index], plan, self, index, frame);
    SyncNetHost(host);
    tracker.Take(host);
    control.Poll();
  }
  const auto ran = Clock::now();
  const int64_t receivedInFrames = tracker.received - receivedAtGo;
  const auto cpuMs = static_cast<int64_t>((CpuSeconds() - cpuAtGo) * 1000);
  SyncUntil(host, &tracker, control, plan, ran + std::chrono::seconds(120),
            [&] { return tracker.Complete() || !tracker.failure.empty(); });
  const auto ms = [](Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); };
  const int64_t overrun = ms(ran - control.Start()) - int64_t{plan.seconds} * 1000;
  const int64_t drain = ms(Clock::now() - ran);
  std::string verdict;
  if (!tracker.failure.empty()) {
    verdict = "fail " + tracker.failure;
  } else if (!tracker.Complete()) {
    verdict = "fail final values missing after " + std::to_string(drain) + " ms:" + tracker.Missing();
  } else {
    verdict = "ok";
  }
  WriteLine(results, verdict + " received=" + std::to_string(tracker.received) +
                         " received_in_frames=" + std::to_string(receivedInFrames) +
                         " cpu_ms=" + std::to_string(cpuMs) + " late=" + std::to_string(late) +
                         " overrun_ms=" + std::to_string(overrun) + " drain_ms=" + std::to_string(drain));
  // Stay, syncing, until every client is through: leaving would close this
  // client's objects on the others.
  SyncUntil(host, nullptr, control, plan, Clock::time_point::max(), [] { return false; });
  CloseNetHost(host);
  return {};
}

// One hostile packet of the kinds no correct host sends, or random bytes.
struct Garbage {
  std::vector<uint8_t> bytes;
  uint8_t channel = 0;
};

Garbage HostilePacket(std::mt19937& random) {
  auto byte = [&] { return static_cast<uint8_t>(random() & 0xFF); };
  Garbage g;
  switch (random() % 8) {
    case 0:  // random bytes of random length
    case 1:
      g.bytes.resize(random() % 64);
      for (auto& b : g.bytes) b = byte();
      break;
    case 2: g.bytes = {static_cast<uint8_t>((6 + random() % 10) << 4), 0x01}; break;             // states 6 to 15
    case 3: g.bytes = {0x10, 0x09, static_cast<uint8_t>(random() % 2 ? 0x00 : 0xE0), 1}; break;  // type 0 or 7
    case 4: g.bytes = {0x10, 0x0A, 0x21, 0x00}; break;                                           // int cut short
    case 5: g.bytes = {0x2F, 0xFE, 0x80, 1}; break;  // a change to an object never announced
    case 6: g.bytes = {byte()}; break;               // shorter than a header
    default:
      g.bytes = {0x20, 0x01, 0x80, 1};
      g.channel = 1;  // correct hosts use channel 0 only
      break;
  }
  return g;
}

void SendPacket(ENetPeer* peer, const std::vector<uint8_t>& bytes, uint8_t channel) {
  ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE);
  if (packet != nullptr && enet_peer_send(peer, channel, packet) < 0) enet_packet_destroy(packet);
}

// Connects again whenever it is cut off, and on every connection sends a few
// correct messages, then garbage. Raw datagrams that are no ENet traffic at
// all go to the listener's port all along.
std::string HostileRun(const LoadPlan& plan, ControlPipe& control, int results) {
  InitNet();
  ENetHost* host = enet_host_create(nullptr, 1, 2, 0, 0);
  if (host == nullptr) return "fail no ENet host";
  Ref<TSocket> junk = CreateUDPSocket();
  ConnectSocket(junk, kLoopback, plan.port);
  ENetAddress address{};
  address.host = ENET_HOST_TO_NET_32(static_cast<uint32_t>(kLoopback));
  address.port = static_cast<enet_uint16>(plan.port);
  std::mt19937 random(20240611);
  WriteLine(results, "ready");

  ENetPeer* peer = nullptr;
  bool connected = false;
  int64_t connects = 0, cutoffs = 0, packets = 0, datagrams = 0, framesConnected = 0;
  for (auto next = Clock::now(); !control.Ended();) {
    next += plan.FramePeriod();
    std::this_thread::sleep_until(next);
    control.Poll();
    ::ENetEvent event;
    while (enet_host_service(host, &event, 0) > 0) {
      if (event.type == ENET_EVENT_TYPE_CONNECT) {
        connected = true;
        framesConnected = 0;
        ++connects;
      } else if (event.type == ENET_EVENT_TYPE_DISCONNECT) {
        connected = false;
        peer = nullptr;
        ++cutoffs;
      } else if (event.type == ENET_EVENT_TYPE_RECEIVE) {
        enet_packet_destroy(event.packet);
      }
    }
    if (peer == nullptr) peer = enet_host_connect(host, &address, 2, 0);
    if (connected) {
      // A correct-looking object first, changed for a few frames, then garbage.
      auto send = [&](const std::vector<uint8_t>& bytes, uint8_t channel) {
        SendPacket(peer, bytes, channel);
        ++packets;
      };
      if (framesConnected == 0) send({0x10, 0x01, 0x80, 7}, 0);
      if (framesConnected < 3) {
        send({0x20, 0x01, 0x80, static_cast<uint8_t>(framesConnected)}, 0);
      } else {
        const Garbage g = HostilePacket(random);
        send(g.bytes, g.channel);
      }
      ++framesConnected;
    }
    for (int i = 0; i < 4; ++i) {
      uint8_t bytes[100];
      const int32_t size = 1 + static_cast<int32_t>(random() % sizeof bytes);
      for (int32_t b = 0; b < size; ++b) bytes[b] = static_cast<uint8_t>(random());
      datagrams += junk->Send(bytes, size, 0) > 0;
    }
    enet_host_flush(host);
  }
  enet_host_destroy(host);
  return "hostile connects=" + std::to_string(connects) + " cutoffs=" + std::to_string(cutoffs) +
         " packets=" + std::to_string(packets) + " datagrams=" + std::to_string(datagrams);
}

[[noreturn]] void Finish(const std::string& last, ChildPipes pipes) {
  if (!last.empty()) WriteLine(pipes.results, last);
  close(pipes.results);
  _exit(last.rfind("fail", 0) == 0 ? 1 : 0);
}

template <class Run>
[[noreturn]] void RunChild(const LoadPlan& plan, ChildPipes pipes, Run run) {
  // Clients stand in for hosts on machines of their own: the listener comes
  // first on this one.
  if (plan.nice > 0) setpriority(PRIO_PROCESS, 0, plan.nice);
  ControlPipe control(pipes.control);
  std::string last;
  try {
    last = run(control);
  } catch (const std::exception& e) {
    last = std::string("fail exception: ") + e.what();
  }
  Finish(last, pipes);
}

}  // namespace

void RunHonestClient(const LoadPlan& plan, int32_t index, ChildPipes pipes) {
  RunChild(plan, pipes, [&](ControlPipe& control) { return HonestRun(plan, index, control, pipes.results); });
}

void RunHostileClient(const LoadPlan& plan, ChildPipes pipes) {
  RunChild(plan, pipes, [&](ControlPipe& control) { return HostileRun(plan, control, pipes.results); });
}

std::string GoLine(Clock::time_point start) { return "go " + std::to_string(start.time_since_epoch().count()); }

}  // namespace netload
