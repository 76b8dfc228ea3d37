# Shared settings for every target of the project: C++20, warnings, and the
# sanitizers when VTL_SANITIZE is on.

if(VTL_SANITIZE AND PROJECT_IS_TOP_LEVEL)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

function(vtl_target_defaults target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# vtl_library(<name> <sources...>): the static library vtl_<name> with the
# alias vtl::<name>, includes relative to the repository root.
function(vtl_library name)
  add_library(vtl_${name} STATIC ${ARGN})
  add_library(vtl::${name} ALIAS vtl_${name})
  target_include_directories(vtl_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  vtl_target_defaults(vtl_${name})
endfunction()
