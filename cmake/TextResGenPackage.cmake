# The CMake side of textresgen: the names a consumer uses, the same from this
# build tree (add_subdirectory) as from an install (find_package).
# `programs` names the programs this build makes (the companion tools are
# left out when TEXTRESGEN_GENERATOR_ONLY is on).
foreach(program IN LISTS programs)
  add_executable(TextResGen::${program} ALIAS ${program})
endforeach()
include("${CMAKE_CURRENT_LIST_DIR}/TextResGenFunctions.cmake")

option(TEXTRESGEN_INSTALL "Install the program and its CMake package" ${PROJECT_IS_TOP_LEVEL})
if(NOT TEXTRESGEN_INSTALL)
  return()
endif()

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
set(package_dir lib/cmake/TextResGen)
install(TARGETS ${programs} textresgen_runtime EXPORT TextResGenTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/textresgen/runtime.h include/textresgen/plural.h include/textresgen/messages.h
              include/textresgen/format.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/textresgen)
# The run-time library is header-only: its code is these headers, with the
# plural tables made at build time (lib/runtime/CMakeLists.txt).
file(GLOB runtime_detail_headers "${PROJECT_SOURCE_DIR}/include/textresgen/detail/*.h")
install(FILES ${runtime_detail_headers} "${TEXTRESGEN_RUNTIME_GENERATED_INCLUDE}/textresgen/detail/plural_rules_table.h"
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/textresgen/detail)
install(EXPORT TextResGenTargets NAMESPACE TextResGen:: DESTINATION ${package_dir})
configure_package_config_file("${CMAKE_CURRENT_LIST_DIR}/TextResGenConfig.cmake.in"
                              "${PROJECT_BINARY_DIR}/TextResGenConfig.cmake"
                              INSTALL_DESTINATION ${package_dir})
# pkg-config's textresgen-runtime.pc, for builds without CMake: the include
# folder and the system libraries the loader needs (the run-time library is
# header-only, so there is no archive); bindir names the programs' folder. Relocatable through ${pcfiledir}, like the CMake package.
set(pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
cmake_path(RELATIVE_PATH CMAKE_INSTALL_PREFIX BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}/${pc_dir}"
           OUTPUT_VARIABLE pc_to_prefix)
string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
set(pc_system_libraries "")
foreach(library IN LISTS CMAKE_DL_LIBS)
  string(APPEND pc_system_libraries " -l${library}")
endforeach()
if(APPLE)
  string(APPEND pc_system_libraries " -framework CoreFoundation")
endif()
string(STRIP "${pc_system_libraries}" pc_system_libraries)
configure_file("${CMAKE_CURRENT_LIST_DIR}/textresgen-runtime.pc.in" "${PROJECT_BINARY_DIR}/textresgen-runtime.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/textresgen-runtime.pc" DESTINATION ${pc_dir})
# A build tool: its package fits any target architecture, so a cross build
# can use the one installed for the host.
write_basic_package_version_file("${PROJECT_BINARY_DIR}/TextResGenConfigVersion.cmake"
                                 COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES "${PROJECT_BINARY_DIR}/TextResGenConfig.cmake"
              "${PROJECT_BINARY_DIR}/TextResGenConfigVersion.cmake"
              "${CMAKE_CURRENT_LIST_DIR}/TextResGenFunctions.cmake"
              "${CMAKE_CURRENT_LIST_DIR}/TextResGenGenerate.cmake"
              "${CMAKE_CURRENT_LIST_DIR}/TextResGenSameLayout.cmake"
              "${CMAKE_CURRENT_LIST_DIR}/TextResGenVersion.rc.in"
        DESTINATION ${package_dir})
# The toolchain files for building Windows libraries on Linux with the
# package (MinGW-w64, clang-cl) and the Wine runner its programs need there.
install(FILES "${CMAKE_CURRENT_LIST_DIR}/toolchains/mingw-w64-x86_64.cmake"
              "${CMAKE_CURRENT_LIST_DIR}/toolchains/clang-cl-x86_64.cmake"
        DESTINATION ${package_dir}/toolchains)
install(PROGRAMS "${CMAKE_CURRENT_LIST_DIR}/toolchains/wine-run.sh" DESTINATION ${package_dir}/toolchains)
