// Events: the record of something that happened, and emitting it through the
// event hook chain, where polled input and the event queue pick it up.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/string.h"

namespace vtl {

// Event ids: the upper part names the group, bit 31 marks user ids.
enum : int32_t {
  EVENT_APPSUSPEND = 0x101,
  EVENT_APPRESUME = 0x102,
  EVENT_APPTERMINATE = 0x103,
  EVENT_APPOPENFILE = 0x104,
  EVENT_APPIDLE = 0x105,
  EVENT_KEYDOWN = 0x201,
  EVENT_KEYUP = 0x202,
  EVENT_KEYCHAR = 0x203,
  EVENT_KEYREPEAT = 0x204,
  EVENT_MOUSEDOWN = 0x401,
  EVENT_MOUSEUP = 0x402,
  EVENT_MOUSEMOVE = 0x403,
  EVENT_MOUSEWHEEL = 0x404,
  EVENT_MOUSEENTER = 0x405,
  EVENT_MOUSELEAVE = 0x406,
  EVENT_TIMERTICK = 0x801,
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
};

class TEvent : public Object {
 public:
  int32_t id = 0;
  Ref<Object> source;
  int32_t data = 0;
  int32_t mods = 0;  // 1 shift, 2 control, 4 alt, 8 system key
  int32_t x = 0;
  int32_t y = 0;
  Ref<Object> extra;

  // Runs the event through the event hook chain.
  virtual void Emit();
  String ToString() const override;

  static Ref<TEvent> Create(int32_t id, const Ref<Object>& source, int32_t data, int32_t mods, int32_t x, int32_t y,
                            const Ref<Object>& extra);
  // The next user event id: 0x80000001 first.
  static int32_t AllocUserId();
};

// The hook id every emitted event runs through.
extern int32_t EventHookId;

Ref<TEvent> MakeEvent(int32_t id, const Ref<Object>& source, int32_t data, int32_t mods, int32_t x, int32_t y,
                      const Ref<Object>& extra);
void BroadcastEvent(const Ref<TEvent>& event);
int32_t ReserveUserEventId();

// Called once by InitSystem, after InitHooks.
void InitEvents();

}  // namespace vtl
