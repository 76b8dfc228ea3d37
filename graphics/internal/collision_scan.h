// The scan under ScanPolygons with a threshold, for tests that only care
// about lines where several polygons meet.
#pragma once

#include <cstdint>

#include "graphics/collision.h"

namespace vtl {

// ScanPolygons, except that the callback runs only on lines with at least
// `together` active polygons, and the scan ends as soon as fewer than that
// are active or still to come. With `together` 1 it is ScanPolygons; a
// callback that answers 0 on every line with fewer polygons (SpanOverlapTest
// with 2) gets the same result either way, sooner.
int32_t ScanPolygonsTogether(const Ref<Array<Ref<Array<float>>>>& polygons, const Ref<Array<int32_t>>& channels,
                             const Ref<Array<Ref<TPixmap>>>& masks, const ScanCallback& callback, int32_t together);

// The pixel test of QuadsOverlap for two quads placed neither turned nor
// scaled, read straight off the mask rows: true when both are upright
// rectangles with the mask's corners at their own, with overlap set to the
// scan's answer (1 or 0); false, with overlap untouched, when either is not
// and only the scan can tell.
bool UprightQuadsOverlap(const TQuad& a, const TQuad& b, int32_t& overlap);

}  // namespace vtl
