# Run by vtl_embed_files at build time: writes VTL_EMBED_OUTPUT, a source
# file holding the bytes of VTL_EMBED_INPUT registered as VTL_EMBED_NAME.

file(READ "${VTL_EMBED_INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR length "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")

# The name as a C string literal.
string(REPLACE "\\" "\\\\" literal "${VTL_EMBED_NAME}")
string(REPLACE "\"" "\\\"" literal "${literal}")

set(text "// Generated from ${VTL_EMBED_INPUT}; do not edit.
#include <cstdint>

namespace vtl {
int32_t RegisterEmbeddedBytes(const char* name, const void* data, int32_t length);
}

namespace {
// One zero byte more than the file, so that an empty file is a valid array.
alignas(16) const unsigned char kBytes[] = {${bytes}0};
}  // namespace

namespace vtl::embedded {
int32_t Register_${VTL_EMBED_ID}() { return vtl::RegisterEmbeddedBytes(\"${literal}\", kBytes, ${length}); }
}  // namespace vtl::embedded

namespace {
const int32_t kRegistered = vtl::embedded::Register_${VTL_EMBED_ID}();
}  // namespace
")

# Leave the file untouched when nothing changed, so dependants do not rebuild.
if(EXISTS "${VTL_EMBED_OUTPUT}")
  file(READ "${VTL_EMBED_OUTPUT}" old)
  if(old STREQUAL text)
    return()
  endif()
endif()
file(WRITE "${VTL_EMBED_OUTPUT}" "${text}")
