// One listening host under load: client processes (32 by default) on
// 127.0.0.1, each owning 100 objects whose 8 int slots change every frame,
// 60 frames a second for 60 seconds, every host syncing once a frame. The
// listener runs in this process and reports the messages it takes and
// relays, its processor share, its memory at 10 seconds and at the end of
// the frames. Every client checks what it receives as it goes (no stale or
// mixed values) and, after its last frame, that it holds every other
// client's final values exactly. The second case makes the last client
// hostile: it sends random bytes and malformed messages all along and must be
// cut off without the others noticing.
//
// Clients are processes, not threads: the framework's objects belong to one
// thread. Options (before the benchmark's own): --net-clients=N,
// --net-objects=N, --net-seconds=N. The test command runs a short case; a
// failed check makes the program exit with 1.
#include <benchmark/benchmark.h>
#include <enet/enet.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "net/net.h"
#include "net_load_peers.h"
#include "net_load_trace.h"

namespace {

using namespace vtl;
using netload::Clock;
using netload::CpuSeconds;
using netload::LoadPlan;

LoadPlan g_plan;
bool g_failed = false;
int32_t g_trace = 0;  // 1: the listener reports once a second

struct Child {
  pid_t pid = -1;
  int results = -1;  // read end
  int control = -1;  // write end
  bool hostile = false;
  bool ended = false;  // results pipe at its end
  std::string pending;
  std::vector<std::string> lines;

  bool Said(const char* prefix) const {
    for (const auto& line : lines) {
      if (line.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }
  // The honest client's verdict ("ok ..." or "fail ..."), "" while none.
  std::string Verdict() const {
    for (const auto& line : lines) {
      if (line.rfind("ok", 0) == 0 || line.rfind("fail", 0) == 0) return line;
    }
    return {};
  }
};

// What the listener measured over the frames (the window).
struct Figures {
  double window = 0;  // seconds
  int64_t messagesIn = 0;
  int64_t delivered = 0;  // messages the honest clients received during their frames
  double bytesOut = 0, datagramsOut = 0;
  int64_t syncs = 0;
  double maxSyncMs = 0;
  double cpuShare = 0;  // of one core
  double rss10 = 0, rssEnd = 0;
  // From the clients.
  int32_t exact = 0;
  int64_t late = 0;
  double clientCpu = 0;           // the honest clients' processor time over their frames, seconds
  double overrun = 0, drain = 0;  // seconds, the slowest client's
  int64_t cutoffs = -1;
};

double RssMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The number after "key=" in a line, 0 when missing.
int64_t Field(const std::string& line, const std::string& key) {
  const size_t at = line.find(" " + key + "=");
  return at == std::string::npos ? 0 : std::stoll(line.substr(at + key.size() + 2));
}

void ReadLines(Child& child) {
  char bytes[4096];
  for (;;) {
    const ssize_t n = read(child.results, bytes, sizeof bytes);
    if (n > 0) {
      child.pending.append(bytes, static_cast<size_t>(n));
      continue;
    }
    if (n == 0) child.ended = true;
    break;
  }
  for (size_t end; (end = child.pending.find('\n')) != std::string::npos;) {
    child.lines.push_back(child.pending.substr(0, end));
    child.pending.erase(0, end + 1);
  }
}

std::vector<Child> Spawn(const LoadPlan& plan) {
  std::vector<Child> children;
  for (int32_t index = 0; index < plan.clients; ++index) {
    int results[2], control[2];
    if (pipe(results) != 0 || pipe(control) != 0) break;
    const bool hostile = plan.hostile && index == plan.clients - 1;
    const pid_t pid = fork();
    if (pid == 0) {
      // Only the listener may hold the other children's pipes, or their
      // control pipes would never end.
      for (const Child& other : children) {
        close(other.results);
        close(other.control);
      }
      close(results[0]);
      close(control[1]);
      const netload::ChildPipes pipes{results[1], control[0]};
      if (hostile) netload::RunHostileClient(plan, pipes);
      netload::RunHonestClient(plan, index, pipes);
    }
    close(results[1]);
    close(control[0]);
    if (pid < 0) {
      close(results[0]);
      close(control[1]);
      break;
    }
    fcntl(results[0], F_SETFL, fcntl(results[0], F_GETFL) | O_NONBLOCK);
    Child child;
    child.pid = pid;
    child.results = results[0];
    child.control = control[1];
    child.hostile = hostile;
    children.push_back(std::move(child));
  }
  return children;
}

// Syncs the listener; the number of messages it took, and the bytes and
// datagrams it sent, added to the figures when counting.
int64_t SyncListener(const Ref<TGNetHost>& listener, Figures* figures) {
  SyncNetHost(listener);
  int64_t taken = NetHostMessages(listener)->Count();
  for (int32_t which = 1; which <= 3; ++which) taken += NetObjectsByState(listener, which)->Count();
  auto* enet = static_cast<ENetHost*>(listener->_enetHost);
  if (figures != nullptr) {
    figures->messagesIn += taken;
    figures->bytesOut += enet->totalSentData;
    figures->datagramsOut += enet->totalSentPackets;
  }
  enet->totalSentData = enet->totalSentPackets = 0;  // 32 bits: they would wrap
  return taken;
}

// Ends every child: their control pipes close, they leave; any still there
// after a while is killed.
void EndChildren(std::vector<Child>& children, const Ref<TGNetHost>& listener) {
  for (Child& child : children) close(child.control);
  const auto giveUp = Clock::now() + std::chrono::seconds(15);
  size_t running = children.size();
  while (running > 0 && Clock::now() < giveUp) {
    try {
      SyncListener(listener, nullptr);
    } catch (const ThrownObject&) {
      // The clients' verdicts are in; only their leaving is left to see.
    }
    running = 0;
    for (Child& child : children) {
      ReadLines(child);
      if (child.pid > 0 && waitpid(child.pid, nullptr, WNOHANG) == child.pid) child.pid = -1;
      running += child.pid > 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  for (Child& child : children) {
    if (child.pid > 0) {
      kill(child.pid, SIGKILL);
      waitpid(child.pid, nullptr, 0);
    }
    ReadLines(child);
    close(child.results);
  }
}

// Runs the frames and the checks; "" when everything held, else why not.
std::string RunStar(LoadPlan plan, Figures& figures) {
  InitNet();
  auto listener = NewNetHost();
  for (plan.port = 40000 + getpid() % 20000; NetHostListen(listener, plan.port) != 1;) {
    if (++plan.port > 65000) return "no port to listen on";
  }
  std::vector<Child> children = Spawn(plan);
  std::string failure;
  if (static_cast<int32_t>(children.size()) != plan.clients) failure = "could not start every client";

  // Every client connects and makes its objects; then all start together.
  const auto readyBy = Clock::now() + std::chrono::seconds(30);
  auto allReady = [&] {
    for (Child& child : children) {
      ReadLines(child);
      if (!child.Said("ready")) return false;
    }
    return true;
  };
  auto allJudged = [&] {
    for (Child& child : children) {
      ReadLines(child);
      if (!child.hostile && child.Verdict().empty()) return false;
    }
    return true;
  };
  try {
    while (failure.empty() && !allReady()) {
      if (Clock::now() > readyBy) failure = "clients were not ready within 30 s";
      SyncListener(listener, nullptr);
      std::this_thread::sleep_for(plan.FramePeriod());
    }
    const auto start = Clock::now() + std::chrono::milliseconds(200);
    for (Child& child : children) {
      const std::string line = netload::GoLine(start) + "\n";
      if (write(child.control, line.data(), line.size()) != static_cast<ssize_t>(line.size())) failure = "no go";
    }

    // The listener's frames: the window of the measure is the clients' run.
    std::this_thread::sleep_until(start);
    const double cpuStart = CpuSeconds();
    bool measured = false;
    const auto giveUp = start + std::chrono::seconds(plan.seconds + 150);
    netload::ListenerTrace trace(plan.port);
    for (int64_t frame = 0; failure.empty(); ++frame) {
      std::this_thread::sleep_until(start + plan.FramePeriod() * frame);
      const auto before = Clock::now();
      const int64_t taken = SyncListener(listener, measured ? nullptr : &figures);
      const auto after = Clock::now();
      if (g_trace != 0) trace.Sample(listener, Seconds(after - before) * 1000.0, taken);
      const double elapsed = Seconds(after - start);
      if (!measured) {
        ++figures.syncs;
        figures.maxSyncMs = std::max(figures.maxSyncMs, Seconds(after - before) * 1000.0);
        if (figures.rss10 == 0 && elapsed >= 10) figures.rss10 = RssMiB();
        if (elapsed >= plan.seconds) {
          measured = true;
          figures.window = elapsed;
          figures.cpuShare = (CpuSeconds() - cpuStart) / elapsed;
          figures.rssEnd = RssMiB();
        }
      }
      if (measured && allJudged()) break;
      if (after > giveUp) failure = "clients still running 150 s after their last frame was due";
    }
  } catch (const ThrownObject& t) {
    failure = std::string("the listener raised: ") + t.what();
  }
  EndChildren(children, listener);
  CloseNetHost(listener);

  for (const Child& child : children) {
    if (child.hostile) {
      for (const auto& line : child.lines) {
        if (line.rfind("hostile", 0) == 0) figures.cutoffs = Field(line, "cutoffs");
      }
      continue;
    }
    const std::string verdict = child.Verdict();
    if (verdict.rfind("ok", 0) == 0) ++figures.exact;
    if (verdict.rfind("ok", 0) != 0) {
      std::fprintf(stderr, "client %d: %s\n", static_cast<int>(&child - children.data()), verdict.c_str());
    }
    if (failure.empty() && verdict.rfind("ok", 0) != 0) {
      failure =
          "client " + std::to_string(&child - children.data()) + ": " + (verdict.empty() ? "no verdict" : verdict);
    }
    figures.delivered += Field(verdict, "received_in_frames");
    figures.late = std::max(figures.late, Field(verdict, "late"));
    figures.clientCpu += static_cast<double>(Field(verdict, "cpu_ms")) / 1000.0;
    figures.overrun = std::max(figures.overrun, static_cast<double>(Field(verdict, "overrun_ms")) / 1000.0);
    figures.drain = std::max(figures.drain, static_cast<double>(Field(verdict, "drain_ms")) / 1000.0);
  }
  if (failure.empty() && plan.hostile && figures.cutoffs < 1) failure = "the hostile client was never cut off";
  return failure;
}

void Report(benchmark::State& state, const LoadPlan& plan, const Figures& f) {
  const char* name = plan.hostile ? "with a hostile client" : "clean";
  const double window = f.window > 0 ? f.window : 1;
  state.counters["clients"] = plan.clients;
  state.counters["exact_clients"] = f.exact;
  state.counters["msgs_in_per_s"] = static_cast<double>(f.messagesIn) / window;
  state.counters["msgs_offered_per_s"] = static_cast<double>(plan.HonestClients()) * plan.objects * plan.rate;
  state.counters["msgs_delivered_per_s"] = static_cast<double>(f.delivered) / plan.seconds;
  state.counters["wire_out_MiB_per_s"] = f.bytesOut / window / (1024.0 * 1024.0);
  state.counters["datagrams_out_per_s"] = f.datagramsOut / window;
  state.counters["listener_syncs_per_s"] = static_cast<double>(f.syncs) / window;
  state.counters["max_sync_ms"] = f.maxSyncMs;
  state.counters["listener_cpu_pct"] = 100.0 * f.cpuShare;
  if (f.rss10 > 0) state.counters["rss_10s_MiB"] = f.rss10;
  state.counters["rss_end_MiB"] = f.rssEnd;
  state.counters["late_frames_max"] = static_cast<double>(f.late);
  state.counters["client_cpu_pct"] = 100.0 * f.clientCpu / plan.HonestClients() / plan.seconds;
  state.counters["overrun_s_max"] = f.overrun;
  state.counters["drain_s_max"] = f.drain;
  if (plan.hostile) state.counters["hostile_cutoffs"] = static_cast<double>(f.cutoffs);
  std::fprintf(
      stderr,
      "%s, %d clients x %d objects x %d slots at %d Hz for %d s: %d of %d honest clients exact; "
      "clients offered %.0f msgs/s, listener took %.0f msgs/s; clients received %.0f msgs/s (listener sent "
      "%.1f MiB/s in %.0f datagrams/s); listener %.1f syncs/s, "
      "longest sync %.1f ms, %.1f %% of one core, RSS %.1f MiB at 10 s, %.1f MiB at the end; "
      "each client %.1f %% of one core; slowest client %lld frames late, %.1f s over, %.1f s to drain",
      name, plan.clients, plan.objects, plan.slots, plan.rate, plan.seconds, f.exact, plan.HonestClients(),
      static_cast<double>(plan.HonestClients()) * plan.objects * plan.rate, static_cast<double>(f.messagesIn) / window,
      static_cast<double>(f.delivered) / plan.seconds, f.bytesOut / window / (1024.0 * 1024.0), f.datagramsOut / window,
      static_cast<double>(f.syncs) / window, f.maxSyncMs, 100.0 * f.cpuShare, f.rss10, f.rssEnd,
      100.0 * f.clientCpu / plan.HonestClients() / plan.seconds, static_cast<long long>(f.late), f.overrun, f.drain);
  if (plan.hostile) std::fprintf(stderr, "; hostile client cut off %lld times", static_cast<long long>(f.cutoffs));
  std::fprintf(stderr, "\n");
}

void RunCase(benchmark::State& state, bool hostile) {
  LoadPlan plan = g_plan;
  plan.hostile = hostile;
  Figures figures;
  std::string failure;
  for (auto _ : state) failure = RunStar(plan, figures);
  Report(state, plan, figures);
  if (!failure.empty()) {
    g_failed = true;
    std::fprintf(stderr, "FAILED: %s\n", failure.c_str());
    state.SkipWithError(failure.c_str());
  }
}

void BM_StarOfClients(benchmark::State& state) { RunCase(state, false); }
void BM_StarWithAHostileClient(benchmark::State& state) { RunCase(state, true); }

BENCHMARK(BM_StarOfClients)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_StarWithAHostileClient)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// Takes this program's own options out of the argument list.
bool TakeOptions(int& argc, char** argv) {
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    int32_t* target = nullptr;
    const char* value = nullptr;
    for (auto [name, field] :
         {std::pair{"--net-clients=", &g_plan.clients}, std::pair{"--net-objects=", &g_plan.objects},
          std::pair{"--net-seconds=", &g_plan.seconds}, std::pair{"--net-trace=", &g_trace},
          std::pair{"--net-nice=", &g_plan.nice}}) {
      if (std::strncmp(argv[i], name, std::strlen(name)) == 0) {
        target = field;
        value = argv[i] + std::strlen(name);
      }
    }
    if (target == nullptr) {
      argv[kept++] = argv[i];
      continue;
    }
    *target = std::atoi(value);
  }
  argc = kept;
  // The listener takes 32 peers; identities leave room for 1000 objects.
  return g_plan.clients >= 2 && g_plan.clients <= 32 && g_plan.objects >= 1 && g_plan.objects <= 1000 &&
         g_plan.seconds >= 1 && g_plan.nice >= 0 && g_plan.nice <= 19;
}

}  // namespace

int main(int argc, char** argv) {
  if (!TakeOptions(argc, argv)) {
    std::fprintf(stderr,
                 "--net-clients takes 2 to 32, --net-objects 1 to 1000, --net-seconds 1 or more, --net-nice 0 to 19\n");
    return 2;
  }
  signal(SIGPIPE, SIG_IGN);  // a client that died must not end the listener
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return g_failed ? 1 : 0;
}
