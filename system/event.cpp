#include "system/event.h"

#include "runtime/string_ops.h"
#include "system/hooks.h"

namespace vtl {

int32_t EventHookId = -1;

namespace {

// The counter wraps through the sign bit on purpose: user ids have bit 31 set.
uint32_t lastUserId = 0x80000000u;

const char* EventName(int32_t id) {
  switch (id) {
    case EVENT_APPSUSPEND: return "AppSuspend";
    case EVENT_APPRESUME: return "AppResume";
    case EVENT_APPTERMINATE: return "AppTerminate";
    case EVENT_APPOPENFILE: return "AppOpenFile";
    case EVENT_APPIDLE: return "AppIdle";
    case EVENT_KEYDOWN: return "KeyDown";
    case EVENT_KEYUP: return "KeyUp";
    case EVENT_KEYCHAR: return "KeyChar";
    case EVENT_KEYREPEAT: return "KeyRepeat";
    case EVENT_MOUSEDOWN: return "MouseDown";
    case EVENT_MOUSEUP: return "MouseUp";
    case EVENT_MOUSEMOVE: return "MouseMove";
    case EVENT_MOUSEWHEEL: return "MouseWheel";
    case EVENT_MOUSEENTER: return "MouseEnter";
    case EVENT_MOUSELEAVE: return "MouseLeave";
    case EVENT_TIMERTICK: return "TimerTick";
    case EVENT_HOTKEYHIT: return "HotkeyHit";
    case EVENT_GADGETACTION: return "GadgetAction";
    case EVENT_GADGETPAINT: return "GadgetPaint";
    case EVENT_GADGETSELECT: return "GadgetSelect";
    case EVENT_GADGETMENU: return "GadgetMenu";
    case EVENT_GADGETOPEN: return "GadgetOpen";
    case EVENT_GADGETCLOSE: return "GadgetClose";
    case EVENT_GADGETDONE: return "GadgetDone";
    case EVENT_GADGETLOSTFOCUS: return "GadgetLostFocus";
    case EVENT_GADGETSHAPE: return "GadgetShape";
    case EVENT_WINDOWMOVE: return "WindowMove";
    case EVENT_WINDOWSIZE: return "WindowSize";
    case EVENT_WINDOWCLOSE: return "WindowClose";
    case EVENT_WINDOWACTIVATE: return "WindowActivate";
    case EVENT_WINDOWACCEPT: return "WindowAccept";
    case EVENT_MENUACTION: return "MenuAction";
    case EVENT_STREAMEOF: return "StreamEof";
    case EVENT_STREAMAVAIL: return "StreamAvail";
    case EVENT_PROCESSEXIT: return "ProcessExit";
    case EVENT_JOYADDED: return "JoyAdded";
    case EVENT_JOYREMOVED: return "JoyRemoved";
    case EVENT_JOYBUTTONDOWN: return "JoyButtonDown";
    case EVENT_JOYBUTTONUP: return "JoyButtonUp";
    case EVENT_JOYAXISMOVE: return "JoyAxisMove";
    case EVENT_JOYHAT: return "JoyHat";
    default: return nullptr;
  }
}

String EventNameText(int32_t id) {
  if (const char* name = EventName(id)) return name;
  if (id < 0) {
    uint32_t number = static_cast<uint32_t>(id) - 0x80000000u;
    return String("UserEvent") + StringFromInt(static_cast<int32_t>(number));
  }
  return String("Unknown Event, id=") + StringFromInt(id);
}

}  // namespace

void TEvent::Emit() { CallHookChain(EventHookId, Ref<Object>(this)); }

String TEvent::ToString() const {
  String text = EventNameText(id);
  text = text + ": data=" + StringFromInt(data) + ", mods=" + StringFromInt(mods) + ", x=" + StringFromInt(x) +
         ", y=" + StringFromInt(y) + ", extra=\"";
  if (auto s = AsString(extra)) text = text + *s;
  return text + "\"";
}

Ref<TEvent> TEvent::Create(int32_t id, const Ref<Object>& source, int32_t data, int32_t mods, int32_t x, int32_t y,
                           const Ref<Object>& extra) {
  auto event = New<TEvent>();
  event->id = id;
  event->source = source;
  event->data = data;
  event->mods = mods;
  event->x = x;
  event->y = y;
  event->extra = extra;
  return event;
}

int32_t TEvent::AllocUserId() { return static_cast<int32_t>(++lastUserId); }

Ref<TEvent> MakeEvent(int32_t id, const Ref<Object>& source, int32_t data, int32_t mods, int32_t x, int32_t y,
                      const Ref<Object>& extra) {
  return TEvent::Create(id, source, data, mods, x, y, extra);
}

void BroadcastEvent(const Ref<TEvent>& event) { event->Emit(); }

int32_t ReserveUserEventId() { return TEvent::AllocUserId(); }

void InitEvents() { EventHookId = ReserveHookId(); }

}  // namespace vtl
