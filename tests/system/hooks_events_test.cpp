// Hook chains, event texts and the event queue.
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/runtime.h"
#include "tests/system/system_test_support.h"

namespace {

using vtl::New;
using vtl::Object;
using vtl::Ref;
using vtl::TEvent;

std::vector<int> callOrder;

Ref<Object> MarkA(int32_t, const Ref<Object>& data, const Ref<Object>&) {
  callOrder.push_back(1);
  return data;
}
Ref<Object> MarkB(int32_t, const Ref<Object>& data, const Ref<Object>&) {
  callOrder.push_back(2);
  return data;
}
Ref<Object> MarkC(int32_t, const Ref<Object>& data, const Ref<Object>&) {
  callOrder.push_back(3);
  return data;
}
// Replaces whatever it gets by its context.
Ref<Object> ReplaceByContext(int32_t, const Ref<Object>&, const Ref<Object>& context) { return context; }

TEST(Hooks, PriorityOrderThenInstallOrderAndUninstall) {
  systest::StartSystem();
  int32_t id = vtl::ReserveHookId();
  callOrder.clear();
  vtl::InstallHook(id, &MarkA, nullptr, 0);
  vtl::InstallHook(id, &MarkB, nullptr, 5);
  vtl::InstallHook(id, &MarkC, nullptr, 0);
  vtl::CallHookChain(id, nullptr);
  EXPECT_EQ(callOrder, (std::vector<int>{2, 1, 3}));

  // Only the node with the same function and the same context goes.
  auto context = New<Object>();
  vtl::InstallHook(id, &MarkA, context, -1);
  vtl::UninstallHook(id, &MarkA, context);
  vtl::UninstallHook(id, &MarkB, context);  // not installed with that context: nothing
  callOrder.clear();
  vtl::CallHookChain(id, nullptr);
  EXPECT_EQ(callOrder, (std::vector<int>{2, 1, 3}));
  vtl::UninstallHook(id, &MarkA, nullptr);
  callOrder.clear();
  vtl::CallHookChain(id, nullptr);
  EXPECT_EQ(callOrder, (std::vector<int>{2, 3}));
}

TEST(Hooks, ReplacedDataFlowsOnAndEmptyChainReturnsInput) {
  systest::StartSystem();
  int32_t id = vtl::ReserveHookId();
  auto input = New<Object>();
  EXPECT_TRUE(vtl::CallHookChain(id, input) == input);

  auto first = New<Object>();
  auto second = New<Object>();
  vtl::InstallHook(id, &ReplaceByContext, first, 10);
  vtl::InstallHook(id, &ReplaceByContext, second, 5);
  EXPECT_TRUE(vtl::CallHookChain(id, input) == second);
  vtl::UninstallHook(id, &ReplaceByContext, second);
  EXPECT_TRUE(vtl::CallHookChain(id, input) == first);
}

TEST(Hooks, UnsetFunctionRaisesNullFunctionError) {
  auto hook = New<vtl::THook>();
  EXPECT_FALSE(hook->func.IsSet());
  EXPECT_THROW(hook->func(0, nullptr, nullptr), vtl::ThrownObject);
}

// Runs in a child process: using up the ids would leave none for later tests.
TEST(HooksDeathTest, The257thIdThrowsTheText) {
  systest::StartSystem();
  EXPECT_EXIT(
      {
        int32_t last = -1;
        try {
          for (;;) last = vtl::ReserveHookId();
        } catch (const vtl::ThrownObject& thrown) {
          auto text = vtl::AsString(thrown.object);
          bool again = false;
          try {
            vtl::ReserveHookId();
          } catch (const vtl::ThrownObject&) {
            again = true;
          }
          std::_Exit(last == 255 && again && text && text->ToUtf8() == "Too many hook ids" ? 0 : 1);
        }
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(Events, ToStringTexts) {
  EXPECT_EQ(New<TEvent>()->ToString().ToUtf8(), "Unknown Event, id=0: data=0, mods=0, x=0, y=0, extra=\"\"");
  auto key = TEvent::Create(vtl::EVENT_KEYDOWN, nullptr, 160, 1, -3, 4, vtl::String("hi"));
  EXPECT_EQ(key->ToString().ToUtf8(), "KeyDown: data=160, mods=1, x=-3, y=4, extra=\"hi\"");
  auto user = TEvent::Create(static_cast<int32_t>(0x80000005u), nullptr, 0, 0, 0, 0, New<Object>());
  EXPECT_EQ(user->ToString().ToUtf8(), "UserEvent5: data=0, mods=0, x=0, y=0, extra=\"\"");
  EXPECT_EQ(TEvent::Create(vtl::EVENT_TIMERTICK, nullptr, -7, 0, 0, 0, nullptr)->ToString().ToUtf8(),
            "TimerTick: data=-7, mods=0, x=0, y=0, extra=\"\"");
  EXPECT_EQ(TEvent::Create(0x20001, nullptr, 0, 0, 0, 0, nullptr)->ToString().ToUtf8().substr(0, 12), "ProcessExit:");
}

TEST(Events, UserIdsCountUpFromTheTopBit) {
  int32_t a = vtl::ReserveUserEventId();
  int32_t b = TEvent::AllocUserId();
  EXPECT_LT(a, 0);
  EXPECT_GE(static_cast<uint32_t>(a), 0x80000001u);
  EXPECT_EQ(b, a + 1);
}

TEST(Events, PolledInputSeesEventsBeforeTheQueue) {
  systest::ResetInput();
  // A hook just above the queue sees polled input's effect already applied.
  static int32_t seenDown = -1;
  auto probe = [](int32_t, const Ref<Object>& data, const Ref<Object>&) -> Ref<Object> {
    seenDown = vtl::KeyIsDown(200);
    return data;
  };
  vtl::InstallHook(vtl::EventHookId, probe, nullptr, -1);
  vtl::BroadcastEvent(vtl::MakeEvent(vtl::EVENT_KEYDOWN, nullptr, 200, 0, 0, 0, nullptr));
  vtl::UninstallHook(vtl::EventHookId, probe, nullptr);
  EXPECT_EQ(seenDown, 1);
  systest::ResetInput();
}

TEST(EventQueue, TicksMergeKeysDoNotAndFullQueueDrops) {
  systest::ResetInput();
  auto timerA = New<Object>();
  auto timerB = New<Object>();
  auto emit = [](int32_t id, const Ref<Object>& source, int32_t data) {
    vtl::BroadcastEvent(vtl::MakeEvent(id, source, data, 0, 0, 0, nullptr));
  };
  emit(vtl::EVENT_TIMERTICK, timerA, 1);
  emit(vtl::EVENT_KEYDOWN, nullptr, 70);
  emit(vtl::EVENT_TIMERTICK, timerA, 2);
  emit(vtl::EVENT_TIMERTICK, timerB, 1);
  emit(vtl::EVENT_KEYDOWN, nullptr, 70);

  ASSERT_EQ(vtl::NextQueuedEvent(), vtl::EVENT_TIMERTICK);
  EXPECT_EQ(vtl::TakenEventData(), 2);  // the later count, in the first tick's place
  EXPECT_TRUE(vtl::TakenEventSource() == timerA);
  int32_t handleA = vtl::TakenEventSourceHandle();
  EXPECT_GT(handleA, 0);
  EXPECT_EQ(vtl::NextQueuedEvent(), vtl::EVENT_KEYDOWN);
  EXPECT_EQ(vtl::NextQueuedEvent(), vtl::EVENT_TIMERTICK);
  EXPECT_NE(vtl::TakenEventSourceHandle(), handleA);
  EXPECT_EQ(vtl::NextQueuedEvent(), vtl::EVENT_KEYDOWN);
  EXPECT_EQ(vtl::NextQueuedEvent(), 0);

  // Fill the queue: a tick with a queued twin still updates it, a key is dropped.
  emit(vtl::EVENT_TIMERTICK, timerA, 10);
  for (int i = 0; i < 255; ++i) emit(vtl::EVENT_KEYUP, nullptr, i);
  emit(vtl::EVENT_KEYDOWN, nullptr, 99);
  emit(vtl::EVENT_TIMERTICK, timerA, 11);
  ASSERT_EQ(vtl::PeekQueuedEvent()->data, 11);
  int taken = 0;
  int32_t lastKeyData = -1;
  while (int32_t id = vtl::NextQueuedEvent()) {
    ++taken;
    if (id == vtl::EVENT_KEYDOWN) lastKeyData = vtl::TakenEventData();
  }
  EXPECT_EQ(taken, 256);
  EXPECT_EQ(lastKeyData, -1);
  systest::ResetInput();
}

TEST(EventQueue, EmptyQueueReportsTheBlankEvent) {
  systest::ResetInput();
  vtl::BroadcastEvent(vtl::MakeEvent(vtl::EVENT_KEYCHAR, New<Object>(), 5, 1, 2, 3, vtl::String("x")));
  ASSERT_EQ(vtl::NextQueuedEvent(), vtl::EVENT_KEYCHAR);
  EXPECT_EQ(vtl::TakenEventText().ToUtf8(), "x");
  EXPECT_EQ(vtl::NextQueuedEvent(), 0);
  EXPECT_TRUE(vtl::PeekQueuedEvent() == nullptr);
  EXPECT_EQ(vtl::TakenEventId(), 0);
  EXPECT_EQ(vtl::TakenEventData(), 0);
  EXPECT_EQ(vtl::TakenEventMods(), 0);
  EXPECT_EQ(vtl::TakenEventX(), 0);
  EXPECT_EQ(vtl::TakenEventY(), 0);
  EXPECT_TRUE(vtl::TakenEventSource() == nullptr);
  EXPECT_TRUE(vtl::TakenEventExtra() == nullptr);
  EXPECT_EQ(vtl::TakenEventText().Length(), 0);
  EXPECT_EQ(vtl::TakenEventSourceHandle(), 0);
}

}  // namespace
