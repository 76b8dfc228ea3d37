# Installs the framework libraries, their public headers, the CMake package
# Vantorel (find_package(Vantorel) gives the same vtl:: targets) and
# vantorel.pc. Included by the top-level CMakeLists.txt when VTL_INSTALL is on.

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# In link order: each library before the ones it builds on.
set(VTL_INSTALLED_LIBRARIES framework process reflect net audio graphics image system stream runtime)

# Under a folder of its own, so that "system/..." or "image/..." cannot meet
# another package's headers; include paths stay "runtime/runtime.h".
set(VTL_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/vantorel)
set(VTL_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vantorel)

set(targets ${VTL_INSTALLED_LIBRARIES})
list(TRANSFORM targets PREPEND vtl_)
install(TARGETS ${targets}
  EXPORT VantorelTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  FILE_SET HEADERS DESTINATION ${VTL_INSTALL_INCLUDEDIR}
  INCLUDES DESTINATION ${VTL_INSTALL_INCLUDEDIR})
install(EXPORT VantorelTargets NAMESPACE vtl:: DESTINATION ${VTL_INSTALL_CMAKEDIR})

set(package_dir ${CMAKE_CURRENT_BINARY_DIR}/package)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VantorelConfig.cmake.in ${package_dir}/VantorelConfig.cmake
  INSTALL_DESTINATION ${VTL_INSTALL_CMAKEDIR})
# Before 1.0 every minor version may change the surface.
write_basic_package_version_file(${package_dir}/VantorelConfigVersion.cmake COMPATIBILITY SameMinorVersion)
install(FILES
  ${package_dir}/VantorelConfig.cmake
  ${package_dir}/VantorelConfigVersion.cmake
  ${CMAKE_CURRENT_LIST_DIR}/VtlEmbed.cmake
  ${CMAKE_CURRENT_LIST_DIR}/VtlEmbedGenerate.cmake
  DESTINATION ${VTL_INSTALL_CMAKEDIR})

# pkg-config: paths relative to the .pc file, so that the tree still works
# when installed with `cmake --install <build> --prefix <elsewhere>`.
set(pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(VTL_PC_PREFIX ${CMAKE_INSTALL_PREFIX})
  set(VTL_PC_LIBDIR ${CMAKE_INSTALL_FULL_LIBDIR})
  set(VTL_PC_INCLUDEDIR ${CMAKE_INSTALL_FULL_INCLUDEDIR}/vantorel)
else()
  string(REGEX REPLACE "[^/]+" ".." up "${pc_dir}")  # lib/pkgconfig -> ../..
  set(VTL_PC_PREFIX "\${pcfiledir}/${up}")
  set(VTL_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
  set(VTL_PC_INCLUDEDIR "\${prefix}/${VTL_INSTALL_INCLUDEDIR}")
endif()
set(VTL_PC_LIBS ${VTL_INSTALLED_LIBRARIES})
list(TRANSFORM VTL_PC_LIBS PREPEND -lvtl_)
list(APPEND VTL_PC_LIBS ${VTL_SANITIZE_FLAGS})  # code built with them needs their run-time libraries
list(JOIN VTL_PC_LIBS " " VTL_PC_LIBS)
set(VTL_PC_LIBS_PRIVATE -pthread)
if(CMAKE_DL_LIBS)
  string(APPEND VTL_PC_LIBS_PRIVATE " -l${CMAKE_DL_LIBS}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/vantorel.pc.in ${package_dir}/vantorel.pc @ONLY)
install(FILES ${package_dir}/vantorel.pc DESTINATION ${pc_dir})
