#include "system/event_queue.h"

#include <array>
#include <unordered_map>

#include "system/hooks.h"
#include "system/system_driver.h"

namespace vtl {

namespace {

constexpr int32_t kQueueSlots = 256;

struct QueueState {
  std::array<Ref<TEvent>, kQueueSlots> slots;
  int32_t put = 0;
  int32_t get = 0;
  Ref<TEvent> blankEvent;
  Ref<TEvent> lastTakenEvent;
  // Source handles: the map holds each numbered object so its number stays its own.
  std::unordered_map<const Object*, std::pair<Ref<Object>, int32_t>> handles;
  int32_t lastHandle = 0;
};

QueueState& Queue() {
  static auto* state = new QueueState();  // lives until the process ends
  return *state;
}

Ref<TEvent>& Slot(int32_t counter) { return Queue().slots[static_cast<size_t>(counter & (kQueueSlots - 1))]; }

int32_t QueuedCount() { return Queue().put - Queue().get; }

bool MergesInQueue(int32_t id) {
  return id == EVENT_WINDOWMOVE || id == EVENT_WINDOWSIZE || id == EVENT_TIMERTICK || id == EVENT_GADGETACTION;
}

Ref<Object> QueueHook(int32_t, const Ref<Object>& data, const Ref<Object>&) {
  auto event = DowncastObject<TEvent>(data);
  if (!event) return nullptr;
  QueueEvent(event, MergesInQueue(event->id) ? 1 : 0);
  return event;
}

int32_t TakeOldest() {
  QueueState& q = Queue();
  Ref<TEvent>& slot = Slot(q.get);
  q.lastTakenEvent = slot;
  slot = nullptr;
  ++q.get;
  return q.lastTakenEvent->id;
}

const TEvent& Taken() { return *Queue().lastTakenEvent; }

}  // namespace

void QueueEvent(const Ref<TEvent>& event, int32_t merge) {
  QueueState& q = Queue();
  if (merge) {
    for (int32_t i = q.get; i != q.put; ++i) {
      TEvent& queued = *Slot(i);
      if (queued.id == event->id && queued.source == event->source) {
        queued.data = event->data;
        queued.mods = event->mods;
        queued.x = event->x;
        queued.y = event->y;
        queued.extra = event->extra;
        return;
      }
    }
  }
  if (QueuedCount() >= kQueueSlots) return;
  Slot(q.put) = event;
  ++q.put;
}

Ref<TEvent> PeekQueuedEvent() {
  if (QueuedCount() == 0) PumpSystemEvents();
  if (QueuedCount() == 0) return nullptr;
  return Slot(Queue().get);
}

int32_t NextQueuedEvent() {
  if (QueuedCount() == 0) PumpSystemEvents();
  if (QueuedCount() == 0) {
    Queue().lastTakenEvent = Queue().blankEvent;
    return 0;
  }
  return TakeOldest();
}

int32_t AwaitQueuedEvent() {
  // Inside a pump no new event can arrive: answer like NextQueuedEvent.
  if (SystemPumpBusy()) return NextQueuedEvent();
  while (QueuedCount() == 0) AwaitSystemEvents();
  return TakeOldest();
}

int32_t TakenEventId() { return Taken().id; }
int32_t TakenEventData() { return Taken().data; }
int32_t TakenEventMods() { return Taken().mods; }
int32_t TakenEventX() { return Taken().x; }
int32_t TakenEventY() { return Taken().y; }
Ref<Object> TakenEventExtra() { return Taken().extra; }

String TakenEventText() {
  if (auto text = AsString(Taken().extra)) return *text;
  return String();
}

Ref<Object> TakenEventSource() { return Taken().source; }

int32_t TakenEventSourceHandle() {
  const Ref<Object>& source = Taken().source;
  if (!source) return 0;
  QueueState& q = Queue();
  auto found = q.handles.find(source.Get());
  if (found != q.handles.end()) return found->second.second;
  int32_t handle = ++q.lastHandle;
  q.handles.emplace(source.Get(), std::make_pair(source, handle));
  return handle;
}

void InitEventQueue() {
  QueueState& q = Queue();
  InstallHook(EventHookId, &QueueHook, nullptr, -10000);
  q.blankEvent = New<TEvent>();
  q.lastTakenEvent = q.blankEvent;
}

}  // namespace vtl
