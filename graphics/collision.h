/// \file
/// Image collisions: whether images placed with the Ren2D transform touch
/// each other in opaque pixels. A frame or a rectangle placed on the screen
/// becomes a quad, its four corners transformed like a drawing plus the
/// frame's pixmap as a mask. Quads are tested against 32 collision layers and
/// stored into them, or two images are tested directly. The pixel test
/// scan-converts both quads line by line and looks for a screen pixel that
/// opaque mask pixels of both cover (alpha 128 or more).
///
/// Nothing is drawn and the screen is not read, so collisions work without a
/// graphics context: rotation, scale and origin can be set without one
/// (ren2d.h). Main thread only, like the rest of Ren2D.
///
/// Masks are read only inside their pixels, whatever the transform. A
/// polygon with a corner that is not a number or lies more than
/// CollisionCoordinateLimit pixels from 0 takes part in no pixel test, so it
/// never hits: floats no longer tell whole pixels apart out there, and the
/// limit bounds the work of a scan. Within the limit a test costs up to one
/// step per screen pixel that both quads cover.
#pragma once

#include <cstdint>
#include <functional>

#include "image/image_object.h"
#include "image/pixmap.h"
#include "runtime/array.h"
#include "runtime/object.h"

namespace vtl {

/// One placed image or rectangle.
class TQuad : public Object {
 public:
  /// A quad with zero vertices and no id.
  TQuad();
  /// Releases a long chain of links one quad after the other rather than
  /// one nested call per quad.
  ~TQuad() override;

  /// Stores the corners as the vertices (x0, y0, 0, 0), (x1, y1, 1, 0),
  /// (x2, y2, 1, 1), (x3, y3, 0, 1): top-left, top-right, bottom-right and
  /// bottom-left of the mask. The bounding box becomes their extent.
  void SetCoords(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3);

  Ref<TQuad> link;    ///< The next quad of the same layer or of SpareQuads.
  Ref<Object> id;     ///< The caller's identifier, returned when the quad is hit.
  Ref<TPixmap> mask;  ///< The frame's pixmap when its format has alpha, else Null (solid).
  int32_t frame = 0;  ///< Copied along with the quad; nothing sets it.
  /// The bounding box of the four corners.
  ///@{
  float minx = 0, miny = 0, maxx = 0, maxy = 0;
  ///@}
  Ref<Array<float>> xyuv;  ///< 16 floats: four vertices of x, y, u, v.
};

/// One polygon inside ScanPolygons: its vertices and where its left and
/// right edges are on the current scanline.
class rpoly : public Object {
 public:
  Ref<TPixmap> texture;    ///< The mask, or Null (solid).
  Ref<Array<float>> data;  ///< The vertices, channels floats each, in scan order.
  int32_t channels = 0;    ///< Floats per vertex: x, y, then u, v, ...
  int32_t count = 0;       ///< Vertices.
  int32_t size = 0;        ///< count * channels.
  /// The left edge's channel values on this scanline, and their step per line.
  ///@{
  Ref<Array<float>> ldat, ladd;
  ///@}
  /// The right edge's channel values on this scanline, and their step per line.
  ///@{
  Ref<Array<float>> rdat, radd;
  ///@}
  int32_t Left = 0;   ///< Offset in data of the vertex where the left edge ends.
  int32_t Right = 0;  ///< Offset in data of the vertex where the right edge ends.
  int32_t top = 0;    ///< The smallest truncated y of the vertices.
  int32_t state = 0;  ///< 0 not reached yet, 1 active, 2 finished.
};

/// How many collision layers there are; bit j of a layer mask names layer j.
constexpr int32_t CollisionLayerCount = 32;
/// Farther than this from 0, in pixels, a corner keeps its polygon out of
/// every pixel test (2 to the 24th: floats still hold every whole pixel).
constexpr float CollisionCoordinateLimit = 16777216.0f;

/// The newest quad of each layer; older ones follow through TQuad::link.
extern Ref<TQuad> CollisionLayers[CollisionLayerCount];
/// Quads kept for reuse, linked through TQuad::link; the list never shrinks.
extern Ref<TQuad> SpareQuads;
/// The Ren2D matrix ix, iy, jx, jy, copied by RebuildDrawTransform whenever
/// it changes. The identity until then, so that collisions work before any
/// graphics are open.
extern float CollisionTransform[4];

/// What ScanPolygons calls for a scanline: the active polygons (the first
/// count entries of active, in the order they became active) and the line.
/// A negative result ends the scan with that result.
using ScanCallback = std::function<int32_t(const Ref<Array<Ref<rpoly>>>& active, int32_t count, int32_t y)>;

/// A quad of a frame of image, or of a solid rectangle when image is Null,
/// placed at (x, y) with the current origin and CollisionTransform. An
/// image's corners run from minus its handle to width, height minus its
/// handle; a rectangle's from 0, 0 to width, height. Taken from SpareQuads
/// when it has one. A frame outside the image throws TArrayBoundsException.
Ref<TQuad> MakeCollisionQuad(const Ref<TImage>& image, int32_t frame, float x, float y, float width, float height,
                             const Ref<Object>& id);

/// The ids of the quads in the layers named by collide_mask that quad
/// overlaps (newest first within a layer, layers in order), then stores a copy
/// of quad at the head of every layer named by write_mask. Testing comes
/// first, so a quad never hits its own copy. An empty array when nothing is hit.
Ref<Array<Ref<Object>>> CollideQuadWithLayers(const Ref<TQuad>& quad, int32_t collide_mask, int32_t write_mask);

/// CollideQuadWithLayers for a frame of image placed at (x, y), with the
/// image's own size and handle.
Ref<Array<Ref<Object>>> CollideImageWithLayers(const Ref<TImage>& image, int32_t x, int32_t y, int32_t frame,
                                               int32_t collide_mask, int32_t write_mask, const Ref<Object>& id);

/// CollideQuadWithLayers for a solid rectangle placed at (x, y).
Ref<Array<Ref<Object>>> CollideRectWithLayers(int32_t x, int32_t y, int32_t width, int32_t height, int32_t collide_mask,
                                              int32_t write_mask, const Ref<Object>& id);

/// Empties every layer named in mask (0 names all 32); their quads join
/// SpareQuads without their ids and masks.
int32_t ClearCollisionLayers(int32_t mask);

/// 1 when the two frames, both placed with the current transform, share an
/// opaque pixel, else 0. Uses layer 31, which keeps image 1's quad afterwards.
int32_t ImagesOverlap(const Ref<TImage>& image1, int32_t x1, int32_t y1, int32_t frame1, const Ref<TImage>& image2,
                      int32_t x2, int32_t y2, int32_t frame2);

/// ImagesOverlap with a rotation (degrees) and scale for each image. The
/// current rotation and scale are restored afterwards, also when a frame
/// index throws.
int32_t TransformedImagesOverlap(const Ref<TImage>& image1, int32_t x1, int32_t y1, int32_t frame1, float rotation1,
                                 float scale_x1, float scale_y1, const Ref<TImage>& image2, int32_t x2, int32_t y2,
                                 int32_t frame2, float rotation2, float scale_x2, float scale_y2);

/// 1 when the quads share a pixel that is opaque in both, else 0. Quads whose
/// bounding boxes do not meet are rejected without scanning.
int32_t QuadsOverlap(const Ref<TQuad>& a, const Ref<TQuad>& b);

/// Puts the vertices (channels floats each; a partial vertex at the end is
/// left alone) in the order the scan needs: when no turn of the fan from
/// vertex 0 bends the other way (each truncated cross product is 0 or more),
/// the order is reversed, each vertex's channels moving as a block. A quad
/// placed with a positive scale keeps its order; a mirrored one is reversed.
/// Returns 1 when it reversed the vertices, else 0.
int32_t OrientPolygon(const Ref<Array<float>>& xy, int32_t channels);

/// Scan-converts the polygons together, one scanline after the other, and
/// calls callback for each line on which any of them is active. polygons,
/// channels and masks are parallel arrays (masks may be Null or shorter:
/// missing masks are Null); a polygon with fewer than 2 channels, or one
/// outside CollisionCoordinateLimit, is left out. The vertices are copied, so
/// the caller's arrays are not reordered. Returns the last callback result, 0
/// when it never ran, or the first negative one.
int32_t ScanPolygons(const Ref<Array<Ref<Array<float>>>>& polygons, const Ref<Array<int32_t>>& channels,
                     const Ref<Array<Ref<TPixmap>>>& masks, const ScanCallback& callback);

/// The pixel test on one scanline: -1 when a pixel where the spans of the
/// first two active polygons overlap is opaque in two of the active polygons,
/// else 0. A polygon without a mask is opaque everywhere; with one, u and v
/// (channels 2 and 3) are interpolated across its span at pixel centres,
/// clamped into 0 .. 1 (not a number counts as 0) and read from the mask's
/// column trunc(u * width) and row trunc(v * height), the last ones for u or
/// v of 1. A mask in a format without alpha is solid; one without pixels is
/// never opaque.
int32_t SpanOverlapTest(const Ref<Array<Ref<rpoly>>>& active, int32_t count, int32_t y);

}  // namespace vtl
