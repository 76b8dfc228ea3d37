// Compiled by the compile checks: once with no case defined, when it must
// compile, and once per case, when that case alone must be refused. The
// lines before the cases are the accepted forms of the same operations.
#include <utility>

#include "runtime/runtime.h"

namespace {

class TMonster : public vtl::Object {
 public:
  int32_t hp = 10;
  vtl::Ref<TMonster> Self() { return vtl::Ref<TMonster>(this); }
};

int32_t HitPoints(const vtl::Ref<TMonster>& monster) { return monster->hp; }

}  // namespace

int main() {
  vtl::Ref<TMonster> monster = vtl::New<TMonster>();
  vtl::Ref<vtl::Object> object = monster;  // upcasts stay implicit
  vtl::Ref<TMonster> self = monster->Self();
  TMonster& member = *monster;
  self = vtl::Ref<TMonster>(&member);
  int32_t hp = HitPoints(vtl::DowncastObject<TMonster>(object));
#if defined(CASE_REF_FROM_ADDRESS)
  vtl::Ref<TMonster> counted = &member;
#elif defined(CASE_REF_ASSIGNED_ADDRESS)
  self = &member;
#elif defined(CASE_ADDRESS_AS_REF_ARGUMENT)
  hp = HitPoints(&member);
#elif defined(CASE_COPY_OBJECT)
  TMonster copy = member;
#elif defined(CASE_MOVE_OBJECT)
  TMonster moved = std::move(member);
#elif defined(CASE_COPY_ASSIGN_OBJECT)
  *vtl::New<TMonster>() = member;
#elif defined(CASE_MOVE_ASSIGN_OBJECT)
  *vtl::New<TMonster>() = std::move(member);
#endif
  return hp == 10 && self == object ? 0 : 1;
}
