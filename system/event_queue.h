/// \file
/// The event queue: up to 256 unread events, taken oldest first. It listens on
/// the event hook below every other listener; ticks and other frequent events
/// merge into a queued twin from the same source.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"
#include "system/event.h"

namespace vtl {

/// Appends the event; with merge set, updates a queued event of the same id
/// and source instead. A full queue drops the event.
void QueueEvent(const Ref<TEvent>& event, int32_t merge);
/// The oldest queued event (pumping once when empty), or the Null object.
Ref<TEvent> PeekQueuedEvent();
/// Takes the oldest event (pumping once when empty) and returns its id, or 0.
int32_t NextQueuedEvent();
/// As NextQueuedEvent, but waits for desktop activity until an event is queued.
/// Called from inside a pump, it answers as NextQueuedEvent.
int32_t AwaitQueuedEvent();

/// Reads of the event taken last (the blank event when none was there).
///@{
int32_t TakenEventId();
int32_t TakenEventData();
int32_t TakenEventMods();
int32_t TakenEventX();
int32_t TakenEventY();
Ref<Object> TakenEventExtra();
///@}
/// The taken event's extra as text; empty when it is not a string.
String TakenEventText();
/// The taken event's source.
Ref<Object> TakenEventSource();
/// A small integer standing for the source object, 0 for the Null object.
/// The same object always gets the same number (the queue keeps it alive).
int32_t TakenEventSourceHandle();

/// Called once by InitSystem, after the system driver is up.
void InitEventQueue();

}  // namespace vtl
