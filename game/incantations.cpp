#include "game/incantations.h"

#include <limits>

#include "game/drawing.h"
#include "game/globals.h"
#include "game/unit.h"
#include "system/system.h"

namespace game {
namespace {

constexpr int32_t kCharBackspace = 8;  // the character Backspace types
constexpr int32_t kCursorBlinkMillis = 500;

// Spells whose words begin the incantation; the target is what follows the
// words and one further character (normally the blank).
struct PrefixSpell {
  const char* words;
  int32_t cost;
};

bool StartsWithAffordable(const vtl::String& words, int32_t cost) {
  return vtl::LeftChars(InputText, words.Length()) == words && ChangeMana(-cost) == 1;
}

bool IsAffordable(const char* words, int32_t cost) { return InputText == words && ChangeMana(-cost) == 1; }

vtl::String TargetAfter(const vtl::String& words) {
  return vtl::RightChars(InputText, InputText.Length() - words.Length() - 1);
}

// Damage to every unit of that name, healing being negative damage; never
// above the unit's max_hp.
void StrikeNamed(const vtl::String& target, int32_t damage) {
  if (target.IsEmpty()) return;
  for (vtl::Ref<TUnit> u : UnitList->Each<TUnit>()) {
    if (!(u->N == target)) continue;
    u->hp -= damage;
    if (u->hp > u->max_hp) u->hp = u->max_hp;
  }
}

// Units of the player's side with that name die; each strengthens the mage.
void Sacrifice(const vtl::String& target) {
  for (vtl::Ref<TUnit> u : UnitList->Each<TUnit>()) {
    if (!(u->N == target) || u->fra != kSidePlayer) continue;
    u->hp = 0;
    Player->max_hp += u->max_hp / 7;
  }
}

// Every unit loses half the mana as hp; the mage pays with its life and the
// mana cap.
void WordOfDeath() {
  const int32_t damage = Mana / 2;
  for (vtl::Ref<TUnit> u : UnitList->Each<TUnit>()) u->hp -= damage;
  Mana = 0;
  MaxMana -= 10;
  Player->max_hp -= 2;
  Player->hp = 1;
}

// Every unit now on the map acts half as often. The period stops growing at
// the int range instead of wrapping round to a negative one.
void WordOfTime() {
  for (vtl::Ref<TUnit> u : UnitList->Each<TUnit>()) {
    u->m_d = u->m_d > std::numeric_limits<int32_t>::max() / 2 ? std::numeric_limits<int32_t>::max() : u->m_d * 2;
  }
}

}  // namespace

int32_t ChangeMana(int32_t amount) {
  if (amount > 0) {
    Mana += amount;
    if (Mana > MaxMana) Mana = MaxMana;
  }
  if (amount < 0) {
    if (Mana < -static_cast<int64_t>(amount)) return 0;
    Mana += amount;
    return 1;
  }
  return 0;
}

void CastIncantation() {
  InputText = vtl::TrimString(InputText);

  static const PrefixSpell kDamageSpells[] = {
      {"FEUERBALL", 5}, {"GROSSER FEUERBALL", 10}, {"VERDAMMT GROSSER FEUERBALL", 20}, {"HEILE", 5}};
  static const int32_t kDamage[] = {15, 25, 50, -10};
  for (size_t i = 0; i < std::size(kDamageSpells); ++i) {
    const vtl::String words = kDamageSpells[i].words;
    if (StartsWithAffordable(words, kDamageSpells[i].cost)) {
      StrikeNamed(TargetAfter(words), kDamage[i]);
      return;
    }
  }
  const vtl::String offering = "OPFERGABE";
  if (StartsWithAffordable(offering, 20)) return Sacrifice(TargetAfter(offering));
  if (IsAffordable("BESCHWOERE SKELETT", 10)) return void(TUnit::Create(kSidePlayer, 3));
  if (IsAffordable("BESCHWOERE DAEMON", 20)) return void(TUnit::Create(kSidePlayer, 4));
  if (IsAffordable("BESCHWOERE LINDWURM", 30)) return void(TUnit::Create(kSidePlayer, 5));
  // Costs no mana: it uses up whatever there is.
  if (InputText == "MACHTWORT TOD") return WordOfDeath();
  if (IsAffordable("MACHTWORT ZEIT", 80)) return WordOfTime();
}

void UpdateInputLine() {
  if (vtl::TakeKeyHits(vtl::KEY_ENTER) != 0) {
    // Characters typed with or after Enter go with the finished line.
    vtl::FlushInput();
    CastIncantation();
    InputText = "";
  }

  const int32_t c = vtl::TakeTypedChar();
  if (c > 0) {
    if (c == kCharBackspace) {
      if (InputText.Length() > 0) InputText = vtl::LeftChars(InputText, InputText.Length() - 1);
    } else {
      InputText = InputText + vtl::UpperString(vtl::StringFromChar(c));
    }
  }

  if (FrameTime > static_cast<float>(CursorToggleTime)) {
    CursorToggleTime = vtl::TruncateToInt(FrameTime + static_cast<float>(kCursorBlinkMillis));
    CursorShown = CursorShown == 0 ? 1 : 0;
  }

  DrawBoxedText(InputText + (CursorShown == 1 ? "|" : " "), 400, 535);
}

}  // namespace game
