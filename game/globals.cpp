#include "game/globals.h"

#include "game/map.h"
#include "game/unit.h"
#include "image/image.h"

namespace game {

float FrameTime = 0;
vtl::Ref<vtl::TImage> TileSheet;
vtl::Ref<vtl::Array<int32_t>> TileMap;
vtl::Ref<vtl::TList> UnitList;
vtl::Ref<TUnit> Player;
int32_t KillCount = 0;
int32_t Mana = 50;
int32_t MaxMana = 100;
int32_t AttackersLeft = kAttackerTotal;
int32_t NextAttackerKind = 0;
int32_t LastSpawnTime = 0;
int32_t SpawnInterval = 10000;
vtl::String InputText;
int32_t CursorToggleTime = 0;
int32_t CursorShown = 0;

void ResetGameState() {
  FrameTime = 0;
  TileSheet = nullptr;
  TileMap = vtl::NewArray<int32_t>({kMapWidth, kMapHeight});
  RegisterMapClass();
  UnitList = vtl::CreateList();
  RegisterUnitClass();
  Player = nullptr;
  KillCount = 0;
  Mana = 50;
  MaxMana = 100;
  AttackersLeft = kAttackerTotal;
  NextAttackerKind = 0;
  LastSpawnTime = 0;
  SpawnInterval = 10000;
  InputText = "";
  CursorToggleTime = 0;
  CursorShown = 0;
}

}  // namespace game
