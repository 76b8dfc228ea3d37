#include "system/hooks.h"

#include <array>

#include "runtime/exceptions.h"
#include "runtime/string.h"

namespace vtl {

namespace {

constexpr int32_t kHookIds = 256;

std::array<Ref<THook>, kHookIds>& HookTable() {
  static auto* table = new std::array<Ref<THook>, kHookIds>();  // lives until the process ends
  return *table;
}

int32_t lastHookId = -1;

Ref<THook>& ChainHead(int32_t id) {
  if (id < 0 || id >= kHookIds) ThrowArrayBounds();
  return HookTable()[static_cast<size_t>(id)];
}

}  // namespace

int32_t ReserveHookId() {
  // The text itself is what is thrown, so a catch for strings gets it.
  if (lastHookId + 1 >= kHookIds) Throw(String("Too many hook ids"));
  return ++lastHookId;
}

void InstallHook(int32_t id, HookFunction func, const Ref<Object>& context, int32_t priority) {
  Ref<THook>& head = ChainHead(id);
  auto hook = New<THook>();
  hook->priority = priority;
  hook->func = func;
  hook->context = context;
  // Equal priorities keep their installation order: pass over them.
  THook* previous = nullptr;
  THook* node = head.Get();
  while (node && node->priority >= priority) {
    previous = node;
    node = node->succ.Get();
  }
  Ref<THook>& link = previous ? previous->succ : head;
  hook->succ = link;
  link = hook;
}

Ref<Object> CallHookChain(int32_t id, const Ref<Object>& data) {
  Ref<Object> current = data;
  // Each node keeps its successor alive even if a hook unlinks it meanwhile.
  for (Ref<THook> node = ChainHead(id); node; node = node->succ) {
    current = node->func(id, current, node->context);
  }
  return current;
}

void UninstallHook(int32_t id, HookFunction func, const Ref<Object>& context) {
  Ref<THook>* link = &ChainHead(id);
  while (Ref<THook>& node = *link) {
    if (node->func.Get() == func && node->context == context) {
      Ref<THook> keep = node;  // released after the link is repaired
      *link = keep->succ;
      return;
    }
    link = &node->succ;
  }
}

void InitHooks() {
  HookTable();
  lastHookId = -1;
}

}  // namespace vtl
