#include "runtime/class_record.h"

#include <cxxabi.h>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <typeindex>
#include <utility>

#include "runtime/exceptions.h"

namespace vtl {

namespace {

struct Registry {
  std::mutex mutex;
  std::deque<ClassRecord> records;  // stable addresses
  std::vector<const ClassRecord*> order;
  std::map<std::type_index, const ClassRecord*> byType;
  // Dynamic types without a record of their own, resolved to the nearest
  // registered ancestor on first use.
  std::map<std::type_index, const ClassRecord*> resolved;
  // Array makers by innermost element type and nesting depth.
  std::map<std::pair<std::type_index, int32_t>, ArrayMaker> arrayMakers;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;  // lives until the process ends
  return *registry;
}

size_t Depth(const ClassRecord* r) {
  size_t depth = 0;
  for (; r; r = r->base) ++depth;
  return depth;
}

const ClassRecord& RootRecord() {
  static const ClassRecord* root = [] {
    ClassRecord r;
    r.name = "Object";
    r.type = &typeid(Object);
    r.isInstance = [](const Object*) { return true; };
    r.throwTypedNull = &detail::ThrowTypedNull<Object>;
    r.isBaseOf = &detail::IsBaseOf<Object>;
    r.create = []() -> Ref<Object> { return New<Object>(); };
    Registry& reg = TheRegistry();
    reg.records.push_back(std::move(r));
    const ClassRecord* stored = &reg.records.back();
    reg.order.push_back(stored);
    reg.byType[typeid(Object)] = stored;
    return stored;
  }();
  return *root;
}

// The C++ name of a type, readable where the compiler can demangle it.
std::string CxxTypeName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                   &std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(type.name());
}

std::string_view BaseNameOf(const ClassRecord& record) {
  return record.base ? record.base->BareName() : std::string_view("none");
}

// Why record, whose C++ type has no record yet, may not join a chain under
// its base, or "" when it may. The base's direct subclasses are enough to
// look at: with single inheritance, a registered class between the record
// and its base is one of them or below one, and a registered class that
// would skip the record is one of them.
std::string ChainRefusal(const Registry& reg, const ClassRecord& record) {
  if (!record.base || !record.throwTypedNull || !record.isBaseOf) return {};
  auto derives = [](const ClassRecord& derived, const ClassRecord& base) {
    return base.isBaseOf && base.isBaseOf(derived);
  };
  auto subclassAbove = [&](const ClassRecord* base) -> const ClassRecord* {
    for (const ClassRecord* r : reg.order) {
      if (r->base == base && derives(record, *r)) return r;
    }
    return nullptr;
  };
  std::string text = JoinTag({"Cannot register class ", record.BareName(), " with base ", BaseNameOf(record), ": "});
  if (const ClassRecord* between = subclassAbove(record.base)) {
    while (const ClassRecord* nearer = subclassAbove(between)) between = nearer;
    return JoinTag(
        {text, "its nearest registered base class is ", between->BareName(), ", not ", record.base->BareName()});
  }
  for (const ClassRecord* r : reg.order) {
    if (r->base == record.base && derives(*r, record)) {
      return JoinTag({text, "class ", r->BareName(), ", registered with base ", BaseNameOf(*r),
                      ", derives from it; register ", record.BareName(), " before ", r->BareName()});
    }
  }
  return {};
}

}  // namespace

namespace detail {

void RefuseMissingBase(std::string_view className, const std::type_info& base) {
  std::string text = "Cannot register class ";
  text.append(className).append(": its base class ").append(CxxTypeName(base));
  text.append(" has no class record yet; register the base first");
  RuntimeError(String::FromText(text));
}

}  // namespace detail

std::string Declaration::Tag() const {
  std::string tag = typeTag ? typeTag() : std::string();
  if (!meta.empty()) tag = JoinTag({tag, "{", meta, "}"});
  return tag;
}

std::string_view ClassRecord::BareName() const {
  std::string_view n = name;
  return n.substr(0, n.find('{'));
}

std::string_view ClassRecord::MetaData() const {
  std::string_view n = name;
  size_t open = n.find('{');
  if (open == std::string_view::npos || n.size() < open + 2) return {};
  return n.substr(open + 1, n.size() - open - 2);
}

bool ClassRecord::Extends(const ClassRecord& other) const {
  for (const ClassRecord* r = this; r; r = r->base) {
    if (r == &other) return true;
  }
  return false;
}

const ClassRecord& ObjectClassRecord() { return RootRecord(); }

const ClassRecord& RegisterClass(ClassRecord record) {
  RootRecord();
  Registry& reg = TheRegistry();
  std::string refusal;
  {
    std::lock_guard lock(reg.mutex);
    if (!record.base && record.type != &typeid(Object)) record.base = &RootRecord();
    auto found = record.type ? reg.byType.find(*record.type) : reg.byType.end();
    if (found != reg.byType.end()) {
      // Modules may register again; a different record would be dropped unseen.
      const ClassRecord& first = *found->second;
      if (first.name == record.name && first.base == record.base) return first;
      refusal = JoinTag({"Cannot register class '", record.name, "' with base ", BaseNameOf(record), ": its C++ type ",
                         CxxTypeName(*record.type), " is already registered as '", first.name, "' with base ",
                         BaseNameOf(first)});
    } else {
      refusal = ChainRefusal(reg, record);
    }
    if (refusal.empty()) {
      reg.records.push_back(std::move(record));
      const ClassRecord* stored = &reg.records.back();
      reg.order.push_back(stored);
      if (stored->type) reg.byType[*stored->type] = stored;
      reg.resolved.clear();
      return *stored;
    }
  }
  // Thrown outside the lock: making the exception may ask for classes.
  RuntimeError(String::FromText(refusal));
}

std::vector<const ClassRecord*> RegisteredClasses() {
  RootRecord();
  Registry& reg = TheRegistry();
  std::lock_guard lock(reg.mutex);
  return reg.order;
}

size_t RegisteredClassCount() {
  RootRecord();
  Registry& reg = TheRegistry();
  std::lock_guard lock(reg.mutex);
  return reg.order.size();
}

const ClassRecord* FindClassRecord(const std::type_info& type) {
  RootRecord();
  Registry& reg = TheRegistry();
  std::lock_guard lock(reg.mutex);
  auto found = reg.byType.find(type);
  return found == reg.byType.end() ? nullptr : found->second;
}

void RegisterArrayMaker(const std::type_info& leaf, int32_t depth, ArrayMaker maker) {
  Registry& reg = TheRegistry();
  std::lock_guard lock(reg.mutex);
  reg.arrayMakers.try_emplace({std::type_index(leaf), depth}, maker);
}

ArrayMaker FindArrayMaker(const std::type_info& leaf, int32_t depth) {
  Registry& reg = TheRegistry();
  std::lock_guard lock(reg.mutex);
  auto found = reg.arrayMakers.find({std::type_index(leaf), depth});
  return found == reg.arrayMakers.end() ? nullptr : found->second;
}

std::string ClassNameOf(const std::type_info& type) {
  const ClassRecord* r = FindClassRecord(type);
  return std::string(r ? r->BareName() : std::string_view("Object"));
}

std::string TypeNameOfTag(std::string_view tag) {
  size_t depth = 0;
  for (; tag.starts_with("[]"); tag.remove_prefix(2)) ++depth;
  std::string name;
  if (tag.starts_with(":")) {
    name = tag.substr(tag.find_last_of(".:") + 1);
  } else if (tag.size() == 1) {
    static constexpr std::pair<char, const char*> kNames[] = {
        {'b', "Byte"}, {'s', "Short"}, {'i', "Int"}, {'l', "Long"}, {'f', "Float"}, {'d', "Double"}, {'$', "String"}};
    for (auto [letter, primitive] : kNames) {
      if (tag[0] == letter) name = primitive;
    }
  }
  if (name.empty()) name = tag;
  for (; depth > 0; --depth) name += "[]";
  return name;
}

std::string TypeNameOfObject(const Object& object) {
  if (auto* array = dynamic_cast<const ArrayBase*>(&object)) return TypeNameOfTag(JoinTag({"[]", array->ElementTag()}));
  if (dynamic_cast<const StringObject*>(&object)) return "String";
  return std::string(object.Class().BareName());
}

namespace detail {

void RefuseValue(std::string_view expectedTag, const Object& given) {
  RuntimeError("ERROR", String::FromText(JoinTag({"A slot of type ", TypeNameOfTag(expectedTag),
                                                  " cannot hold the given ", TypeNameOfObject(given)})));
}

std::string ArgumentCountText(size_t takes, size_t given) {
  return JoinTag({"takes ", std::to_string(takes), takes == 1 ? " argument; " : " arguments; ", std::to_string(given),
                  given == 1 ? " was given" : " were given"});
}

}  // namespace detail

const ClassRecord& Object::Class() const {
  const ClassRecord& root = RootRecord();
  Registry& reg = TheRegistry();
  std::type_index type(typeid(*this));
  std::lock_guard lock(reg.mutex);
  if (auto exact = reg.byType.find(type); exact != reg.byType.end()) return *exact->second;
  if (auto known = reg.resolved.find(type); known != reg.resolved.end()) return *known->second;
  const ClassRecord* best = &root;
  for (const ClassRecord* r : reg.order) {
    if (r->isInstance && r->isInstance(this) && Depth(r) > Depth(best)) best = r;
  }
  reg.resolved[type] = best;
  return *best;
}

}  // namespace vtl
