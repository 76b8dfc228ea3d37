// Runtime hot paths, each beside a plain standard-library baseline measured in
// the same run: compare the pairs as ratios.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <list>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/runtime.h"

namespace {

using namespace vtl;

// ---- strings ----

void StringConcat(benchmark::State& state) {
  String a = "Noch ";
  String b = " Angreifer!";
  String n = "287";
  for (auto _ : state) benchmark::DoNotOptimize(a + n + b);
}
BENCHMARK(StringConcat);

void BaselineU16Concat(benchmark::State& state) {
  std::u16string a = u"Noch ";
  std::u16string b = u" Angreifer!";
  std::u16string n = u"287";
  for (auto _ : state) benchmark::DoNotOptimize(a + n + b);
}
BENCHMARK(BaselineU16Concat);

void StringFromIntBench(benchmark::State& state) {
  int32_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(StringFromInt(i++ * 7919));
}
BENCHMARK(StringFromIntBench);

void BaselineToU16String(benchmark::State& state) {
  int32_t i = 0;
  for (auto _ : state) {
    std::string s = std::to_string(i++ * 7919);
    benchmark::DoNotOptimize(std::u16string(s.begin(), s.end()));
  }
}
BENCHMARK(BaselineToU16String);

// Text from a C string, as literals and lines of plain text arrive; the
// argument is the length in bytes.
std::string AsciiText(int64_t length) {
  std::string text;
  while (static_cast<int64_t>(text.size()) < length) text += "Noch 287 Angreifer! ";
  text.resize(static_cast<size_t>(length));
  return text;
}

void StringFromText(benchmark::State& state) {
  std::string text = AsciiText(state.range(0));
  const char* p = text.c_str();
  for (auto _ : state) {
    benchmark::DoNotOptimize(p);
    benchmark::DoNotOptimize(String(p));
  }
}
BENCHMARK(StringFromText)->Arg(19)->Arg(200);

void BaselineU16FromText(benchmark::State& state) {
  std::string text = AsciiText(state.range(0));
  const char* p = text.c_str();
  for (auto _ : state) {
    benchmark::DoNotOptimize(p);
    std::string_view view(p);
    benchmark::DoNotOptimize(std::u16string(view.begin(), view.end()));
  }
}
BENCHMARK(BaselineU16FromText)->Arg(19)->Arg(200);

// ---- lists of 1000 objects ----

class Unit : public Object {
 public:
  int32_t hp = 1;
};

constexpr int kCount = 1000;

void ListAddLastRemove(benchmark::State& state) {
  std::vector<Ref<Unit>> units;
  for (int i = 0; i < kCount; ++i) units.push_back(New<Unit>());
  for (auto _ : state) {
    Ref<TList> list = CreateList();
    for (auto& u : units) list->AddLast(u);
    // Removing from the front: each Remove walks one step, as a unit removing itself does.
    for (auto& u : units) list->Remove(u);
    benchmark::DoNotOptimize(list);
  }
}
BENCHMARK(ListAddLastRemove);

void BaselineStdListAddRemove(benchmark::State& state) {
  std::vector<std::shared_ptr<Unit>> units;
  for (int i = 0; i < kCount; ++i) units.push_back(std::make_shared<Unit>());
  for (auto _ : state) {
    std::list<std::shared_ptr<Unit>> list;
    for (auto& u : units) list.push_back(u);
    for (auto& u : units) list.erase(std::find(list.begin(), list.end(), u));
    benchmark::DoNotOptimize(list);
  }
}
BENCHMARK(BaselineStdListAddRemove);

void ListWalk(benchmark::State& state) {
  Ref<TList> list = CreateList();
  for (int i = 0; i < kCount; ++i) list->AddLast(New<Unit>());
  for (auto _ : state) {
    int64_t sum = 0;
    for (const Ref<Object>& o : *list) sum += static_cast<Unit*>(o.Get())->hp;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(ListWalk);

void ListWalkEnumerator(benchmark::State& state) {
  Ref<TList> list = CreateList();
  for (int i = 0; i < kCount; ++i) list->AddLast(New<Unit>());
  for (auto _ : state) {
    int64_t sum = 0;
    for (auto e = list->ObjectEnumerator(); e->HasNext();) sum += static_cast<Unit*>(e->NextObject().Get())->hp;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(ListWalkEnumerator);

void BaselineStdListWalk(benchmark::State& state) {
  std::list<std::shared_ptr<Object>> list;
  for (int i = 0; i < kCount; ++i) list.push_back(std::make_shared<Unit>());
  for (auto _ : state) {
    int64_t sum = 0;
    for (const auto& o : list) sum += static_cast<Unit*>(o.get())->hp;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BaselineStdListWalk);

// ---- ordered maps of 100,000 string keys ----

constexpr int kMapCount = 100000;

// The same keys for both maps, in a shuffled order: "key" and a number.
std::vector<std::u16string> MapKeyTexts() {
  std::vector<std::u16string> keys;
  for (int i = 0; i < kMapCount; ++i) {
    std::string s = "key" + std::to_string(i * 7919 % 1000003);
    keys.emplace_back(s.begin(), s.end());
  }
  std::shuffle(keys.begin(), keys.end(), std::mt19937(42));
  return keys;
}

std::vector<String> MapKeyStrings() {
  std::vector<String> keys;
  for (const auto& k : MapKeyTexts()) keys.emplace_back(k);
  return keys;
}

Ref<TMap> FilledMap(const std::vector<String>& keys, const Ref<Object>& value) {
  Ref<TMap> map = New<TMap>();
  for (const String& k : keys) map->Insert(k, value);
  return map;
}

void MapInsert(benchmark::State& state) {
  std::vector<String> keys = MapKeyStrings();
  Ref<Object> value = New<Unit>();
  for (auto _ : state) benchmark::DoNotOptimize(FilledMap(keys, value));
}
BENCHMARK(MapInsert)->Unit(benchmark::kMillisecond);

void BaselineStdMapInsert(benchmark::State& state) {
  std::vector<std::u16string> keys = MapKeyTexts();
  Ref<Object> value = New<Unit>();
  for (auto _ : state) {
    std::map<std::u16string, Ref<Object>> map;
    for (const auto& k : keys) map[k] = value;
    benchmark::DoNotOptimize(map);
  }
}
BENCHMARK(BaselineStdMapInsert)->Unit(benchmark::kMillisecond);

void MapLookUp(benchmark::State& state) {
  std::vector<String> keys = MapKeyStrings();
  Ref<TMap> map = FilledMap(keys, New<Unit>());
  // Look-ups with string objects of their own, as a program's texts arrive.
  std::vector<String> probes;
  for (const String& k : keys) probes.emplace_back(k.View());
  for (auto _ : state) {
    int64_t found = 0;
    for (const String& k : probes) found += map->ValueForKey(k) != nullptr;
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(MapLookUp)->Unit(benchmark::kMillisecond);

void BaselineStdMapLookUp(benchmark::State& state) {
  std::vector<std::u16string> keys = MapKeyTexts();
  std::map<std::u16string, Ref<Object>> map;
  Ref<Object> value = New<Unit>();
  for (const auto& k : keys) map[k] = value;
  for (auto _ : state) {
    int64_t found = 0;
    for (const auto& k : keys) {
      auto it = map.find(k);
      found += it != map.end() && it->second != nullptr;
    }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BaselineStdMapLookUp)->Unit(benchmark::kMillisecond);

void MapWalk(benchmark::State& state) {
  Ref<TMap> map = FilledMap(MapKeyStrings(), New<Unit>());
  for (auto _ : state) {
    int64_t sum = 0;
    for (const Ref<TNode>& n : *map) sum += static_cast<Unit*>(n->_value.Get())->hp;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(MapWalk)->Unit(benchmark::kMillisecond);

void BaselineStdMapWalk(benchmark::State& state) {
  std::map<std::u16string, Ref<Object>> map;
  Ref<Object> value = New<Unit>();
  for (const auto& k : MapKeyTexts()) map[k] = value;
  for (auto _ : state) {
    int64_t sum = 0;
    for (const auto& [k, v] : map) sum += static_cast<Unit*>(v.Get())->hp;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BaselineStdMapWalk)->Unit(benchmark::kMillisecond);

// ---- random numbers ----

void RandomRangeBench(benchmark::State& state) {
  SeedRandom(1);
  for (auto _ : state) benchmark::DoNotOptimize(RandomRange(1, 6));
}
BENCHMARK(RandomRangeBench);

void BaselineMinstdUniform(benchmark::State& state) {
  std::minstd_rand engine(1);
  std::uniform_int_distribution<int32_t> dist(1, 6);
  for (auto _ : state) benchmark::DoNotOptimize(dist(engine));
}
BENCHMARK(BaselineMinstdUniform);

}  // namespace
