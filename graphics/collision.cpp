// Quads, the collision layers and the image tests over them.
#include "graphics/collision.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "graphics/internal/collision_scan.h"
#include "graphics/ren2d.h"

namespace vtl {

Ref<TQuad> CollisionLayers[CollisionLayerCount];
Ref<TQuad> SpareQuads;
float CollisionTransform[4] = {1, 0, 0, 1};

namespace {

bool Names(int32_t mask, int32_t layer) { return (static_cast<uint32_t>(mask) >> layer) & 1u; }

Ref<TQuad> TakeQuad() {
  if (!SpareQuads) return New<TQuad>();
  Ref<TQuad> quad = std::move(SpareQuads);
  SpareQuads = std::move(quad->link);
  return quad;
}

void GiveBack(Ref<TQuad> quad) {
  quad->id = nullptr;
  quad->mask = nullptr;
  quad->link = std::move(SpareQuads);
  SpareQuads = std::move(quad);
}

// A probe quad goes back to the spare list once tested, unless the caller
// of the test holds it too.
Ref<Array<Ref<Object>>> CollideAndRecycle(Ref<TQuad> quad, int32_t collide_mask, int32_t write_mask) {
  Ref<Array<Ref<Object>>> hits = CollideQuadWithLayers(quad, collide_mask, write_mask);
  if (quad->RefCount() == 1) GiveBack(std::move(quad));
  return hits;
}

// The quad of a frame of image at (x, y), with the image's own size.
Ref<TQuad> ImageQuad(const Ref<TImage>& image, int32_t x, int32_t y, int32_t frame, const Ref<Object>& id) {
  return MakeCollisionQuad(image, frame, static_cast<float>(x), static_cast<float>(y), static_cast<float>(image->width),
                           static_cast<float>(image->height), id);
}

// The two-image tests keep their first image in layer 31. They store and
// test the quads themselves: what the layer calls would add (copying the
// stored quad, an array of ids) is all the test of one pair costs otherwise.
constexpr int32_t kScratch = 31;

void StoreAlone(const Ref<TImage>& image, int32_t x, int32_t y, int32_t frame) {
  ClearCollisionLayers(1 << kScratch);
  CollisionLayers[kScratch] = ImageQuad(image, x, y, frame, nullptr);
}

int32_t HitsStored(const Ref<TImage>& image, int32_t x, int32_t y, int32_t frame) {
  Ref<TQuad> quad = ImageQuad(image, x, y, frame, nullptr);
  int32_t hit = 0;
  for (TQuad* stored = CollisionLayers[kScratch].Get(); stored && !hit; stored = stored->link.Get())
    hit = QuadsOverlap(quad, Ref<TQuad>(stored));
  if (quad->RefCount() == 1) GiveBack(std::move(quad));
  return hit;
}

}  // namespace

TQuad::TQuad() : xyuv(NewArray<float>({16})) {}

TQuad::~TQuad() {
  Ref<TQuad> next = std::move(link);
  while (next && next->RefCount() == 1) {
    Ref<TQuad> after = std::move(next->link);
    next = std::move(after);
  }
}

void TQuad::SetCoords(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3) {
  const float vertices[16] = {x0, y0, 0, 0, x1, y1, 1, 0, x2, y2, 1, 1, x3, y3, 0, 1};
  std::copy_n(vertices, 16, xyuv->Data());
  minx = std::min({x0, x1, x2, x3});
  maxx = std::max({x0, x1, x2, x3});
  miny = std::min({y0, y1, y2, y3});
  maxy = std::max({y0, y1, y2, y3});
}

Ref<TQuad> MakeCollisionQuad(const Ref<TImage>& image, int32_t frame, float x, float y, float width, float height,
                             const Ref<Object>& id) {
  const float hx = image ? -image->handle_x : 0, hy = image ? -image->handle_y : 0;
  const float x1 = width + hx, y1 = height + hy;
  float ox, oy;
  GetDrawOrigin(ox, oy);
  const float base_x = x + ox, base_y = y + oy;
  const float ix = CollisionTransform[0], iy = CollisionTransform[1];
  const float jx = CollisionTransform[2], jy = CollisionTransform[3];
  auto tx = [&](float a, float b) { return a * ix + b * iy + base_x; };
  auto ty = [&](float a, float b) { return a * jx + b * jy + base_y; };
  // The frame is looked up first: a bad index throws before a spare is taken.
  Ref<TPixmap> mask;
  if (image) {
    Ref<TPixmap> pixels = image->Lock(frame, 1, 0);
    if (IsPixelFormat(pixels->format) && AlphaBitsPerPixel[pixels->format] != 0) mask = pixels;
  }
  Ref<TQuad> quad = TakeQuad();
  quad->id = id;
  quad->mask = std::move(mask);
  quad->SetCoords(tx(hx, hy), ty(hx, hy), tx(x1, hy), ty(x1, hy), tx(x1, y1), ty(x1, y1), tx(hx, y1), ty(hx, y1));
  return quad;
}

Ref<Array<Ref<Object>>> CollideQuadWithLayers(const Ref<TQuad>& quad, int32_t collide_mask, int32_t write_mask) {
  std::vector<Ref<Object>> found;
  for (int32_t layer = 0; layer < CollisionLayerCount; ++layer) {
    if (!Names(collide_mask, layer)) continue;
    for (TQuad* stored = CollisionLayers[layer].Get(); stored; stored = stored->link.Get())
      if (QuadsOverlap(quad, Ref<TQuad>(stored))) found.push_back(stored->id);
  }
  for (int32_t layer = 0; layer < CollisionLayerCount; ++layer) {
    if (!Names(write_mask, layer)) continue;
    Ref<TQuad> copy = TakeQuad();
    copy->id = quad->id;
    copy->mask = quad->mask;
    copy->frame = quad->frame;
    std::copy_n(quad->xyuv->Data(), 16, copy->xyuv->Data());
    copy->minx = quad->minx;
    copy->miny = quad->miny;
    copy->maxx = quad->maxx;
    copy->maxy = quad->maxy;
    copy->link = std::move(CollisionLayers[layer]);
    CollisionLayers[layer] = std::move(copy);
  }
  auto ids = NewArray<Ref<Object>>({static_cast<int32_t>(found.size())});
  std::move(found.begin(), found.end(), ids->Data());
  return ids;
}

Ref<Array<Ref<Object>>> CollideImageWithLayers(const Ref<TImage>& image, int32_t x, int32_t y, int32_t frame,
                                               int32_t collide_mask, int32_t write_mask, const Ref<Object>& id) {
  return CollideAndRecycle(ImageQuad(image, x, y, frame, id), collide_mask, write_mask);
}

Ref<Array<Ref<Object>>> CollideRectWithLayers(int32_t x, int32_t y, int32_t width, int32_t height, int32_t collide_mask,
                                              int32_t write_mask, const Ref<Object>& id) {
  Ref<TQuad> quad = MakeCollisionQuad(nullptr, 0, static_cast<float>(x), static_cast<float>(y),
                                      static_cast<float>(width), static_cast<float>(height), id);
  return CollideAndRecycle(std::move(quad), collide_mask, write_mask);
}

int32_t ClearCollisionLayers(int32_t mask) {
  for (int32_t layer = 0; layer < CollisionLayerCount; ++layer) {
    if (mask != 0 && !Names(mask, layer)) continue;
    Ref<TQuad> head = std::move(CollisionLayers[layer]);
    if (!head) continue;
    TQuad* last = head.Get();
    for (;; last = last->link.Get()) {
      last->id = nullptr;
      last->mask = nullptr;
      if (!last->link) break;
    }
    last->link = std::move(SpareQuads);
    SpareQuads = std::move(head);
  }
  return 0;
}

int32_t ImagesOverlap(const Ref<TImage>& image1, int32_t x1, int32_t y1, int32_t frame1, const Ref<TImage>& image2,
                      int32_t x2, int32_t y2, int32_t frame2) {
  StoreAlone(image1, x1, y1, frame1);
  return HitsStored(image2, x2, y2, frame2);
}

int32_t TransformedImagesOverlap(const Ref<TImage>& image1, int32_t x1, int32_t y1, int32_t frame1, float rotation1,
                                 float scale_x1, float scale_y1, const Ref<TImage>& image2, int32_t x2, int32_t y2,
                                 int32_t frame2, float rotation2, float scale_x2, float scale_y2) {
  const float rotation = GetDrawRotation();
  float scale_x, scale_y;
  GetDrawScale(scale_x, scale_y);
  auto restore = [&] {
    SetDrawRotation(rotation);
    SetDrawScale(scale_x, scale_y);
  };
  int32_t hit = 0;
  try {
    SetDrawRotation(rotation1);
    SetDrawScale(scale_x1, scale_y1);
    StoreAlone(image1, x1, y1, frame1);
    SetDrawRotation(rotation2);
    SetDrawScale(scale_x2, scale_y2);
    hit = HitsStored(image2, x2, y2, frame2);
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return hit;
}

namespace {

// The two quads as ScanPolygons takes them. The arrays are kept between
// tests (main thread only, and the pixel test never starts another); they
// hold the quads' vertices and masks only during one.
class QuadPair {
 public:
  QuadPair(const Ref<TQuad>& a, const Ref<TQuad>& b) : arrays_(Kept()) {
    (*arrays_.polygons)[0] = a->xyuv;
    (*arrays_.polygons)[1] = b->xyuv;
    (*arrays_.masks)[0] = a->mask;
    (*arrays_.masks)[1] = b->mask;
  }
  ~QuadPair() {
    for (int32_t k = 0; k < 2; ++k) {
      (*arrays_.polygons)[k] = nullptr;
      (*arrays_.masks)[k] = nullptr;
    }
  }
  int32_t Overlap() const {
    return ScanPolygonsTogether(arrays_.polygons, arrays_.channels, arrays_.masks, SpanOverlapTest, 2);
  }

 private:
  struct Arrays {
    Ref<Array<Ref<Array<float>>>> polygons = NewArray<Ref<Array<float>>>({2});
    Ref<Array<int32_t>> channels = NewArray<int32_t>({2});
    Ref<Array<Ref<TPixmap>>> masks = NewArray<Ref<TPixmap>>({2});
  };
  static Arrays& Kept() {
    static Arrays* arrays = [] {
      auto* a = new Arrays();
      (*a->channels)[0] = (*a->channels)[1] = 4;
      return a;
    }();
    return *arrays;
  }
  Arrays& arrays_;
};

}  // namespace

int32_t QuadsOverlap(const Ref<TQuad>& a, const Ref<TQuad>& b) {
  if (!(a->maxx >= b->minx && a->maxy >= b->miny && a->minx <= b->maxx && a->miny <= b->maxy)) return 0;
  int32_t overlap = 0;
  if (UprightQuadsOverlap(*a, *b, overlap)) return overlap;
  return QuadPair(a, b).Overlap() != 0 ? 1 : 0;
}

}  // namespace vtl
