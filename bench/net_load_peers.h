// The client processes of the networked-object load bench: honest clients
// that own objects, change them every frame and check what every other
// client's objects hold, and a hostile one that sends random bytes and
// malformed messages. Each runs in a child process of the listener and talks
// to it through two pipes: results go up as text lines, and the listener's
// "go" line, then the end of the pipe, come down.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace netload {

using Clock = std::chrono::steady_clock;

// What every process of one run agrees on.
struct LoadPlan {
  int32_t clients = 32;  // client processes, the hostile one included
  int32_t objects = 100;
  int32_t slots = 8;  // changed every frame
  int32_t rate = 60;  // frames a second
  int32_t seconds = 60;
  bool hostile = false;  // the last client sends garbage instead
  int32_t port = 0;      // the listener's
  int32_t nice = 10;     // the clients' niceness

  int32_t Frames() const { return rate * seconds; }
  int32_t HonestClients() const { return hostile ? clients - 1 : clients; }
  Clock::duration FramePeriod() const {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate));
  }
};

// Pipe ends of one child, as the child sees them.
struct ChildPipes {
  int results = -1;  // written by the child
  int control = -1;  // read by the child: "go <start>" then end of file
};

// Runs one client to the end and never returns: the process exits.
[[noreturn]] void RunHonestClient(const LoadPlan& plan, int32_t index, ChildPipes pipes);
[[noreturn]] void RunHostileClient(const LoadPlan& plan, ChildPipes pipes);

// The start time in the "go" line: steady-clock ticks, which every process
// of this machine reads alike.
std::string GoLine(Clock::time_point start);

}  // namespace netload
