/// \file
/// Events: the record of something that happened, and emitting it through the
/// event hook chain, where polled input and the event queue pick it up.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

/// Event ids: the upper part names the group, bit 31 marks user ids. The
/// desktop layer and timers emit the ids documented here; the others are
/// reserved for their groups.
enum : int32_t {
  EVENT_APPSUSPEND = 0x101,    ///< A window lost the input focus.
  EVENT_APPRESUME = 0x102,     ///< A window got the input focus.
  EVENT_APPTERMINATE = 0x103,  ///< A window's close button, or the desktop asked the program to quit.
  EVENT_APPOPENFILE = 0x104,
  EVENT_APPIDLE = 0x105,
  EVENT_KEYDOWN = 0x201,     ///< A key went down; data: its key code.
  EVENT_KEYUP = 0x202,       ///< A key went up; data: its key code.
  EVENT_KEYCHAR = 0x203,     ///< A character typed; data: its code (Backspace 8, Tab 9, Enter 13, Escape 27).
  EVENT_KEYREPEAT = 0x204,   ///< A held key repeats; data: its key code.
  EVENT_MOUSEDOWN = 0x401,   ///< A button went down; data: 1 left, 2 right, 3 middle; x, y: the pointer.
  EVENT_MOUSEUP = 0x402,     ///< A button went up; as EVENT_MOUSEDOWN.
  EVENT_MOUSEMOVE = 0x403,   ///< The pointer moved to x, y; data: a held button (1 left, 2 right, 4 middle) or 0.
  EVENT_MOUSEWHEEL = 0x404,  ///< The wheel turned; data: the steps, positive away from the user.
  EVENT_MOUSEENTER = 0x405,  ///< The pointer entered a window at x, y.
  EVENT_MOUSELEAVE = 0x406,  ///< The pointer left a window; x, y: where it went.
  EVENT_TIMERTICK = 0x801,   ///< A timer ticked; source: the timer; data: its tick count.
  EVENT_HOTKEYHIT = 0x1001,
  EVENT_GADGETACTION = 0x2001,
  EVENT_GADGETPAINT = 0x2002,
  EVENT_GADGETSELECT = 0x2003,
  EVENT_GADGETMENU = 0x2004,
  EVENT_GADGETOPEN = 0x2005,
  EVENT_GADGETCLOSE = 0x2006,
  EVENT_GADGETDONE = 0x2007,
  EVENT_GADGETLOSTFOCUS = 0x2008,
  EVENT_GADGETSHAPE = 0x2009,
  EVENT_WINDOWMOVE = 0x4001,
  EVENT_WINDOWSIZE = 0x4002,
  EVENT_WINDOWCLOSE = 0x4003,
  EVENT_WINDOWACTIVATE = 0x4004,
  EVENT_WINDOWACCEPT = 0x4005,
  EVENT_MENUACTION = 0x8001,
  EVENT_STREAMEOF = 0x10001,
  EVENT_STREAMAVAIL = 0x10002,
  EVENT_PROCESSEXIT = 0x20001,
  EVENT_JOYADDED = 0x40001,       ///< A joystick or gamepad was connected; x: its port.
  EVENT_JOYREMOVED = 0x40002,     ///< A device was disconnected; x: the port it had.
  EVENT_JOYBUTTONDOWN = 0x40003,  ///< A device's button went down; data: the button; x: the port.
  EVENT_JOYBUTTONUP = 0x40004,    ///< A device's button went up; as EVENT_JOYBUTTONDOWN.
  EVENT_JOYAXISMOVE = 0x40005,    ///< An axis moved; data: the axis; x: the port; y: JoyAxis times 32767, rounded.
  EVENT_JOYHAT = 0x40006,         ///< A hat moved; data: the hat; x: the port; y: its JOY_HAT_ bits.
};

/// Something that happened: an id, where it came from, and what it carries.
class TEvent : public Object {
 public:
  int32_t id = 0;      ///< One of the EVENT_ ids, or a user id.
  Ref<Object> source;  ///< What the event came from (a window's graphics, a timer), or Null.
  int32_t data = 0;    ///< Key, character, button or count, as the id says.
  int32_t mods = 0;    ///< 1 shift, 2 control, 4 alt, 8 system key
  int32_t x = 0;       ///< The pointer's x, for pointer events.
  int32_t y = 0;       ///< The pointer's y, for pointer events.
  Ref<Object> extra;   ///< Anything more; text for events that carry some.

  /// Runs the event through the event hook chain.
  virtual void Emit();
  /// The id's name, then the fields: `KeyDown: data=65, mods=0, x=0, y=0, extra=""`
  /// (the quotes hold extra when it is text). User ids are named "UserEvent" and
  /// their number, other unknown ids "Unknown Event, id=" and the id.
  String ToString() const override;

  /// A new event with these fields.
  static Ref<TEvent> Create(int32_t id, const Ref<Object>& source, int32_t data, int32_t mods, int32_t x, int32_t y,
                            const Ref<Object>& extra);
  /// The next user event id: 0x80000001 first.
  static int32_t AllocUserId();
};

/// The hook id every emitted event runs through.
extern int32_t EventHookId;

/// TEvent::Create.
Ref<TEvent> MakeEvent(int32_t id, const Ref<Object>& source, int32_t data, int32_t mods, int32_t x, int32_t y,
                      const Ref<Object>& extra);
/// TEvent::Emit.
void BroadcastEvent(const Ref<TEvent>& event);
/// TEvent::AllocUserId.
int32_t ReserveUserEventId();

/// Called once by InitSystem, after InitHooks.
void InitEvents();

}  // namespace vtl
