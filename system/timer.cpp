#include "system/timer.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

#include "runtime/program.h"
#include "system/sdl_system_driver.h"
#include "system/system_driver.h"

namespace vtl {

namespace {

using Clock = std::chrono::steady_clock;

// The clock counts from program start: the game keeps times in floats, which
// hold whole milliseconds exactly only below 2^24 (about 4.6 hours), and a
// clock counting from boot would also wrap sooner.
const Clock::time_point programStart = Clock::now();

constexpr int32_t kMaxTimers = 16;

// Running timers as the main thread sees them; a tick for an id not listed
// was posted before its timer stopped and is dropped.
struct ActiveTimerTable {
  std::array<int32_t, kMaxTimers> ids{};
  int32_t count = 0;
} ActiveTimerIds;

// One thread ticks every running timer on its own schedule. Its entries
// mirror ActiveTimerIds; it only ever posts main-thread calls.
class TimerService {
 public:
  void Add(int32_t id, TTimer* timer, Clock::duration period) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!thread_.joinable() && !stopping_) thread_ = std::thread([this] { Run(); });
    entries_.push_back(Entry{id, timer, period, Clock::now() + period});
    wake_.notify_one();
  }

  void Remove(int32_t id) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i].id == id) {
        entries_[i] = entries_.back();
        entries_.pop_back();
        break;
      }
    }
  }

  void Shutdown() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
      entries_.clear();
      wake_.notify_one();
    }
    if (thread_.joinable()) thread_.join();
  }

 private:
  struct Entry {
    int32_t id;
    TTimer* timer;
    Clock::duration period;
    Clock::time_point next;
  };

  static void Deliver(void* timer, int32_t id) { DeliverTimerTick(static_cast<TTimer*>(timer), id); }

  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
      if (entries_.empty()) {
        wake_.wait(lock);
        continue;
      }
      Clock::time_point due = entries_.front().next;
      for (const Entry& e : entries_) due = std::min(due, e.next);
      if (wake_.wait_until(lock, due) == std::cv_status::no_timeout) continue;  // entries changed
      Clock::time_point now = Clock::now();
      for (Entry& e : entries_) {
        if (e.next > now) continue;
        PostMainThreadCall(&Deliver, e.timer, e.id);
        e.next += e.period;  // fixed schedule, no drift
        // After a long stall, start a fresh schedule instead of a burst.
        if (now - e.next > std::chrono::seconds(1)) e.next = now + e.period;
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<Entry> entries_;
  std::thread thread_;
  bool stopping_ = false;
};

TimerService& Service() {
  static auto* service = new TimerService();  // stopped at exit, never freed
  return *service;
}

int32_t lastTimerId = 0;

void ShutdownTimers() { Service().Shutdown(); }

String TwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

bool LocalNow(std::tm& out) {
  std::time_t now = std::time(nullptr);
  return localtime_r(&now, &out) != nullptr;
}

}  // namespace

int32_t TTimer::Ticks() { return _ticks; }

void TTimer::Stop() {
  if (_handle == 0) return;
  StopDesktopTimer(_handle);
  _handle = 0;
  _event = nullptr;
  Ref<TTimer> last = std::move(_cycle);  // may be the last reference: release it last
  _cycle = nullptr;
}

void TTimer::Fire() {
  if (_handle == 0) return;
  Ref<TTimer> keep(this);  // a hook may stop the timer and drop its last reference
  ++_ticks;
  if (_event) {
    Ref<TEvent> event = _event;
    event->Emit();
  } else {
    MakeEvent(EVENT_TIMERTICK, keep, _ticks, 0, 0, 0, nullptr)->Emit();
  }
}

int32_t TTimer::Wait() {
  if (_handle == 0) return 0;
  Ref<TTimer> keep(this);
  // Inside a pump no tick can arrive: waiting there would never end.
  do {
    if (SystemPumpBusy()) break;
    AwaitSystemEvents();
  } while (_ticks == _wticks && _handle != 0);
  int32_t n = _ticks - _wticks;
  _wticks = _ticks;
  return n;
}

Ref<TTimer> TTimer::Create(float hertz, const Ref<TEvent>& event) {
  auto timer = New<TTimer>();
  int32_t id = StartDesktopTimer(hertz, timer.Get());
  if (id == 0) return nullptr;
  timer->_cycle = timer;
  timer->_event = event;
  timer->_handle = id;
  return timer;
}

Ref<TTimer> NewTimer(float hertz, const Ref<TEvent>& event) { return TTimer::Create(hertz, event); }
int32_t TimerTickCount(const Ref<TTimer>& timer) { return timer->Ticks(); }
int32_t AwaitTimerTicks(const Ref<TTimer>& timer) { return timer->Wait(); }
void HaltTimer(const Ref<TTimer>& timer) { timer->Stop(); }

int32_t StartDesktopTimer(float hertz, TTimer* timer) {
  if (ActiveTimerIds.count >= kMaxTimers) return 0;
  float period = 1000.0f / hertz;
  // Under 1 ms (2000 Hz and up), negative, or beyond what an int holds.
  if (!(period >= 1.0f) || period >= 2147483648.0f) return 0;
  auto periodMs = static_cast<int32_t>(period);
  int32_t id = ++lastTimerId;  // never reused, so a stale tick cannot hit a new timer
  Service().Add(id, timer, std::chrono::milliseconds(periodMs));
  ActiveTimerIds.ids[static_cast<size_t>(ActiveTimerIds.count++)] = id;
  return id;
}

void StopDesktopTimer(int32_t id) {
  for (int32_t i = 0; i < ActiveTimerIds.count; ++i) {
    if (ActiveTimerIds.ids[static_cast<size_t>(i)] == id) {
      ActiveTimerIds.ids[static_cast<size_t>(i)] = ActiveTimerIds.ids[static_cast<size_t>(ActiveTimerIds.count - 1)];
      --ActiveTimerIds.count;
      Service().Remove(id);
      return;
    }
  }
}

void DeliverTimerTick(TTimer* timer, int32_t id) {
  for (int32_t i = 0; i < ActiveTimerIds.count; ++i) {
    if (ActiveTimerIds.ids[static_cast<size_t>(i)] == id) {
      timer->Fire();
      return;
    }
  }
}

int32_t CurrentMillis() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - programStart).count();
  return static_cast<int32_t>(static_cast<uint32_t>(ms));  // wraps like a 32-bit clock
}

void SleepMillis(int32_t ms) {
  if (ms < 0) return;
  if (ms == 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

String DateText() {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm t{};
  if (!LocalNow(t) || t.tm_mon < 0 || t.tm_mon > 11) return String();
  char year[16];
  std::snprintf(year, sizeof year, "%d", t.tm_year + 1900);
  return TwoDigits(t.tm_mday) + " " + kMonths[t.tm_mon] + " " + year;
}

String TimeText() {
  std::tm t{};
  if (!LocalNow(t)) return String();
  return TwoDigits(t.tm_hour) + ":" + TwoDigits(t.tm_min) + ":" + TwoDigits(t.tm_sec);
}

void InitTimers() {
  Service();
  AtExit(&ShutdownTimers);
}

}  // namespace vtl
