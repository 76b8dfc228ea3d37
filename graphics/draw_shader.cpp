#include "graphics/draw_shader.h"

#include "runtime/exceptions.h"
#include "runtime/string_ops.h"

namespace vtl {

namespace {

[[noreturn]] void NeedsShaderDriver(const Ref<TRen2DDriver>& driver) {
  RuntimeError(String("Draw shaders need the shader Ren2D driver (VTL_REN2D_DRIVER=gl3 or gles3); ") +
               (driver ? "the " + driver->ToString() + " driver draws now" : String("no Ren2D context is current")));
}

Ref<TDrawShader> Checked(const Ref<TDrawShader>& shader) {
  if (!shader) RuntimeError("No draw shader given (Null)");
  return shader;
}

Ref<TDrawShader> Create(const String& vertex_source, const String& fragment_source) {
  if (!CurrentRen2DDriver) NeedsShaderDriver(nullptr);
  return CurrentRen2DDriver->CreateShader(vertex_source, fragment_source);
}

}  // namespace

Ref<TDrawShader> TRen2DDriver::CreateShader(const String&, const String&) {
  NeedsShaderDriver(Ref<TRen2DDriver>(this));
}
int32_t TRen2DDriver::SetShader(const Ref<TDrawShader>&) { NeedsShaderDriver(Ref<TRen2DDriver>(this)); }

Ref<TDrawShader> CreateDrawShader(const String& fragment_source) { return Create(String(), fragment_source); }

Ref<TDrawShader> CreateDrawShader(const String& vertex_source, const String& fragment_source) {
  if (vertex_source.IsEmpty()) RuntimeError("The vertex shader source is empty");
  return Create(vertex_source, fragment_source);
}

int32_t SetDrawShader(const Ref<TDrawShader>& shader) {
  if (!CurrentRen2DDriver) NeedsShaderDriver(nullptr);
  return CurrentRen2DDriver->SetShader(shader);
}

int32_t SetShaderFloat(const Ref<TDrawShader>& shader, const String& name, float x) {
  Checked(shader)->SetFloat(name, &x, 1);
  return 0;
}

int32_t SetShaderFloat(const Ref<TDrawShader>& shader, const String& name, float x, float y) {
  const float values[] = {x, y};
  Checked(shader)->SetFloat(name, values, 2);
  return 0;
}

int32_t SetShaderFloat(const Ref<TDrawShader>& shader, const String& name, float x, float y, float z) {
  const float values[] = {x, y, z};
  Checked(shader)->SetFloat(name, values, 3);
  return 0;
}

int32_t SetShaderFloat(const Ref<TDrawShader>& shader, const String& name, float x, float y, float z, float w) {
  const float values[] = {x, y, z, w};
  Checked(shader)->SetFloat(name, values, 4);
  return 0;
}

int32_t SetShaderInt(const Ref<TDrawShader>& shader, const String& name, int32_t value) {
  Checked(shader)->SetInt(name, value);
  return 0;
}

int32_t SetShaderImage(const Ref<TDrawShader>& shader, const String& name, const Ref<TImage>& image, int32_t frame) {
  if (!image) RuntimeError("No image given (Null) for the shader's " + name);
  Checked(shader)->SetImage(name, image, frame);
  return 0;
}

}  // namespace vtl
