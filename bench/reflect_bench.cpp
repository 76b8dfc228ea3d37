// Reflection beside the direct C++ access it stands for, in the same run:
// reading an Int field through TField::GetInt and calling a two-argument
// method through TMethod::Invoke (its arguments and result travel as text).
#include <benchmark/benchmark.h>

#include "reflect/reflect.h"
#include "runtime/runtime.h"

namespace {

using namespace vtl;

class TCounter : public Object {
 public:
  int32_t hits = 1234;
  int32_t Add(int32_t a, int32_t b) { return a + b + hits; }
};

Ref<TTypeId> CounterType() {
  static Ref<TTypeId> type = [] {
    InitReflect();
    ClassBuilder<TCounter, Object>("TCounter").Field<&TCounter::hits>("hits").Method<&TCounter::Add>("Add").Register();
    return TTypeId::ForName("TCounter");
  }();
  return type;
}

void FieldGetInt(benchmark::State& state) {
  Ref<TField> field = CounterType()->FindField("hits");
  Ref<Object> counter = New<TCounter>();
  for (auto _ : state) benchmark::DoNotOptimize(field->GetInt(counter));
}
BENCHMARK(FieldGetInt);

void BaselineFieldRead(benchmark::State& state) {
  Ref<TCounter> counter = New<TCounter>();
  for (auto _ : state) {
    benchmark::DoNotOptimize(counter.Get());
    benchmark::DoNotOptimize(counter->hits);
  }
}
BENCHMARK(BaselineFieldRead);

void MethodInvoke(benchmark::State& state) {
  Ref<TMethod> method = CounterType()->FindMethod("Add");
  Ref<Object> counter = New<TCounter>();
  Ref<Array<Ref<Object>>> args = NewArray<Ref<Object>>({2});
  (*args)[0] = String("20");
  (*args)[1] = String("22");
  for (auto _ : state) benchmark::DoNotOptimize(method->Invoke(counter, args));
}
BENCHMARK(MethodInvoke);

// The direct call through a pointer the optimiser cannot see through, so it
// is made every time rather than folded away.
void BaselineMethodCall(benchmark::State& state) {
  Ref<TCounter> counter = New<TCounter>();
  int32_t a = 20, b = 22;
  for (auto _ : state) {
    benchmark::DoNotOptimize(counter.Get());
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(counter->Add(a, b));
  }
}
BENCHMARK(BaselineMethodCall);

}  // namespace
