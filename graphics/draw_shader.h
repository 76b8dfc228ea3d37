/// \file
/// Draw shaders: programs of your own that the Ren2D drawing calls run
/// through instead of the built-in one. They need the shader Ren2D driver
/// (gl3_ren2d.h, VTL_REN2D_DRIVER=gl3 or gles3); on the OpenGL driver every
/// call here raises an error that says so. graphics/README.md lists the
/// inputs a shader gets. None of these calls is safe from other threads.
#pragma once

#include <cstdint>

#include "graphics/ren2d.h"

namespace vtl {

/// Longest shader source taken, in bytes; longer ones are refused.
constexpr int32_t MaxDrawShaderSource = 256 * 1024;

/// A compiled and linked shader program of a Ren2D driver. Its uniforms
/// keep their values until set again.
class TDrawShader : public Object {
 public:
  /// Sets a float, vec2, vec3 or vec4 uniform from 1 to 4 values; a name the
  /// program does not use is ignored, as OpenGL ignores it.
  virtual void SetFloat(const String& name, const float* values, int32_t count) = 0;
  /// Sets an int (or bool) uniform.
  virtual void SetInt(const String& name, int32_t value) = 0;
  /// Makes the sampler2D uniform read the frame of the image.
  virtual void SetImage(const String& name, const Ref<TImage>& image, int32_t frame) = 0;
};

/// A shader program with the built-in vertex shader and this fragment
/// shader. A source that does not compile or link raises an error whose text
/// holds the compiler's log; so do sources with a zero character or longer
/// than MaxDrawShaderSource. Needs a current Ren2D context of the shader driver.
Ref<TDrawShader> CreateDrawShader(const String& fragment_source);
/// A shader program from both sources, as above.
Ref<TDrawShader> CreateDrawShader(const String& vertex_source, const String& fragment_source);
/// The shader the following drawing runs through; Null goes back to the
/// built-in one. It holds until changed or another context is made current.
int32_t SetDrawShader(const Ref<TDrawShader>& shader);
/// Sets a float uniform of the shader (1 to 4 values: float to vec4).
///@{
int32_t SetShaderFloat(const Ref<TDrawShader>& shader, const String& name, float x);
int32_t SetShaderFloat(const Ref<TDrawShader>& shader, const String& name, float x, float y);
int32_t SetShaderFloat(const Ref<TDrawShader>& shader, const String& name, float x, float y, float z);
int32_t SetShaderFloat(const Ref<TDrawShader>& shader, const String& name, float x, float y, float z, float w);
///@}
/// Sets an int or bool uniform of the shader.
int32_t SetShaderInt(const Ref<TDrawShader>& shader, const String& name, int32_t value);
/// Makes a sampler2D uniform of the shader read a frame of the image.
int32_t SetShaderImage(const Ref<TDrawShader>& shader, const String& name, const Ref<TImage>& image, int32_t frame = 0);

}  // namespace vtl
