// The Ren2D driver a program draws with, picked once from VTL_REN2D_DRIVER
// ("gl", "gl3" or "gles3") when the first Ren2D context is asked for. A
// driver whose context cannot be made, or a name that is not known, is
// reported on standard error (and in LastErrorText) and the OpenGL driver is
// used instead.
#pragma once

#include "graphics/ren2d.h"

namespace vtl {

Ref<TRen2DDriver> ChosenRen2DDriver();

}  // namespace vtl
