/// \file
/// Files built into the program, readable as "incbin::<name>". The build adds
/// them with vtl_embed_files() (cmake/VtlEmbed.cmake), which generates a
/// source file per name that registers the bytes when the program starts and
/// also offers a function to register them explicitly:
///
///     VTL_DECLARE_EMBEDDED_FILE(quornfont_bin)   // name with non-alphanumerics as '_'
///     ...
///     vtl::embedded::Register_quornfont_bin();   // e.g. from a module initialiser
///
/// Calling it from a library's initialiser keeps the bytes in programs that
/// link the library statically, where nothing else would pull them in.
#pragma once

#include <cstdint>

#include "runtime/string.h"

namespace vtl {

/// Adds an entry at the head of the registry and returns 1; returns 0 and
/// changes nothing when the name is already registered.
int32_t RegisterEmbeddedFile(const String& name, const void* data, int32_t length);
/// The entry's bytes, or nullptr when no entry has exactly that name.
const uint8_t* EmbeddedFileData(const String& name);
/// The entry's length, or 0.
int32_t EmbeddedFileLength(const String& name);
/// True when an entry has exactly that name (also for an empty file).
bool EmbeddedFileExists(const String& name);
/// RegisterEmbeddedFile for a name given as 8-bit text; the generated sources
/// call this one so that they need no headers.
int32_t RegisterEmbeddedBytes(const char* name, const void* data, int32_t length);

}  // namespace vtl

/// Declares `vtl::embedded::Register_<id>()`, which registers the embedded
/// file whose name, with non-alphanumerics as '_', is id.
#define VTL_DECLARE_EMBEDDED_FILE(id) \
  namespace vtl::embedded {           \
  int32_t Register_##id();            \
  }
