// A turret at the bottom fires upwards at drifting ghosts; walls stop shots.
// Space fires, Escape quits; the turret also fires by itself.
#include <cmath>
#include <vector>

#include "framework/framework.h"

using namespace vtl;

// Layers are bits of a 32-bit mask: bit n is layer n.
constexpr int32_t kWallLayer = 1 << 0;
constexpr int32_t kGhostLayer = 1 << 1;

// The id stored with a ghost's quad is the ghost itself, so a hit names it.
class TGhost : public Object {
 public:
  int32_t x = 0, y = 0;
  bool alive = true;
};

// A sprite from a shape: opaque where inside(dx, dy) holds, see-through
// elsewhere. Only opaque pixels collide.
template <class Inside>
Ref<TImage> MakeSprite(int32_t size, uint32_t rgb, Inside inside) {
  Ref<TPixmap> pixmap = NewPixmap(size, size, FMT_RGBA8888);
  const double middle = (size - 1) / 2.0;
  for (int32_t y = 0; y < size; ++y) {
    for (int32_t x = 0; x < size; ++x)
      pixmap->WritePixel(x, y, inside(x - middle, y - middle) ? 0xFF000000u | rgb : 0u);
  }
  return LoadImageUrl(pixmap, 0);
}

struct Scene {
  Ref<TImage> ghost, shot, wall;
  std::vector<Ref<TGhost>> ghosts;
  int32_t shotX = -1, shotY = 0;  // -1: no shot in the air
  int32_t turretX = 300, hits = 0;
};

// The layers are filled again every frame: clear them, then write what
// stands still (walls) and what moves (ghosts) at their new places.
void FillLayers(Scene& scene, int32_t frame) {
  ClearCollisionLayers(0);  // 0 clears all 32 layers
  for (int32_t x : {120, 440}) CollideImageWithLayers(scene.wall, x, 200, 0, 0, kWallLayer, nullptr);
  for (const Ref<TGhost>& g : scene.ghosts) {
    g->x = 40 + (g->y * 7 + frame * 3) % 560;
    // Test against nothing (collide mask 0), write into the ghost layer.
    CollideImageWithLayers(scene.ghost, g->x, g->y, 0, 0, kGhostLayer, g);
  }
}

// The shot tests both layers and writes into none: the answer lists the ids
// of every quad it touches.
void MoveShot(Scene& scene) {
  if (scene.shotX < 0) return;
  scene.shotY -= 8;
  Ref<Array<Ref<Object>>> touched =
      CollideImageWithLayers(scene.shot, scene.shotX, scene.shotY, 0, kWallLayer | kGhostLayer, 0, nullptr);
  bool stopped = scene.shotY < 0;
  for (int32_t i = 0; i < touched->Length(); ++i) {
    stopped = true;  // a wall's id is Null; a ghost's is the ghost
    if (Ref<TGhost> g = DowncastObject<TGhost>((*touched)[i])) {
      g->alive = false;
      ++scene.hits;
    }
  }
  if (stopped) scene.shotX = -1;
}

void Draw(Scene& scene) {
  SetClearColor(12, 14, 24);
  ClearBackBuffer();
  SetDrawColor(255, 255, 255);
  for (int32_t x : {120, 440}) DrawImageFrame(scene.wall, static_cast<float>(x), 200);
  for (const Ref<TGhost>& g : scene.ghosts) {
    DrawImageFrame(scene.ghost, static_cast<float>(g->x), static_cast<float>(g->y));
  }
  if (scene.shotX >= 0) DrawImageFrame(scene.shot, static_cast<float>(scene.shotX), static_cast<float>(scene.shotY));
  SetDrawColor(90, 200, 255);
  DrawFilledRect(static_cast<float>(scene.turretX), 440, 16, 24);
  SetDrawColor(255, 255, 255);
  DrawString("Ghosts hit: " + StringFromInt(scene.hits), 10, 10);
}

void Main() {
  InitFramework();
  ApplicationTitle = "Collision layers";
  Ref<TFrameRun> run = TFrameRun::Create();
  if (OpenGraphics(640, 480) == nullptr) RuntimeError("No window: " + LastErrorText());
  Scene scene;
  scene.ghost = MakeSprite(32, 0xE0E0FF, [](double dx, double dy) {
    return std::hypot(dx, dy) < 15 && !(std::hypot(dx + 6, dy + 3) < 3 || std::hypot(dx - 6, dy + 3) < 3);
  });
  scene.shot = MakeSprite(8, 0xFFD040, [](double dx, double dy) { return std::hypot(dx, dy) < 3.5; });
  scene.wall = MakeSprite(80, 0x806050, [](double, double dy) { return std::fabs(dy) < 10; });
  for (int32_t row = 0; row < 4; ++row) {
    Ref<TGhost> g = New<TGhost>();
    g->y = 40 + row * 40;
    scene.ghosts.push_back(g);
  }

  for (int32_t frame = 0;; ++frame) {
    scene.turretX = 312 + static_cast<int32_t>(250 * std::sin(frame / 40.0));
    const bool fire = TakeKeyHits(KEY_SPACE) != 0 || frame % 12 == 0;
    if (fire && scene.shotX < 0) {
      scene.shotX = scene.turretX + 4;
      scene.shotY = 430;
    }
    FillLayers(scene, frame);
    MoveShot(scene);
    for (const Ref<TGhost>& g : scene.ghosts) {
      if (g->alive) continue;
      g->alive = true;  // a ghost that was hit comes back a row lower
      g->y = g->y >= 160 ? 40 : g->y + 40;
    }
    Draw(scene);
    const bool quit = TakeKeyHits(KEY_ESCAPE) != 0 || TakeTerminateRequest() != 0;
    const bool last = run->EndFrame(quit) != 0;
    FlipBuffers();
    if (last) break;
  }
}

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }
