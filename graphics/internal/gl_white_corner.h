// Shapes without an image in the OpenGL Ren2D driver: where the bound
// texture has an opaque white corner (pages of pictures keep one), they
// sample it instead of turning texturing off, which draws the same colour
// and keeps one drawing state for the shapes and the pictures around them.
// Tests turn that off here to check that the pixels are the same.
#pragma once

namespace vtl {

/// true: shapes always turn texturing off; false: they use a white corner.
void ForceGLUntexturedShapes(bool force);

}  // namespace vtl
