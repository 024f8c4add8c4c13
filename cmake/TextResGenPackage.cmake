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
install(EXPORT TextResGenTargets NAMESPACE TextResGen:: DESTINATION ${package_dir})
configure_package_config_file("${CMAKE_CURRENT_LIST_DIR}/TextResGenConfig.cmake.in"
                              "${PROJECT_BINARY_DIR}/TextResGenConfig.cmake"
                              INSTALL_DESTINATION ${package_dir})
# A build tool: its package fits any target architecture, so a cross build
# can use the one installed for the host.
write_basic_package_version_file("${PROJECT_BINARY_DIR}/TextResGenConfigVersion.cmake"
                                 COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES "${PROJECT_BINARY_DIR}/TextResGenConfig.cmake"
              "${PROJECT_BINARY_DIR}/TextResGenConfigVersion.cmake"
              "${CMAKE_CURRENT_LIST_DIR}/TextResGenFunctions.cmake"
              "${CMAKE_CURRENT_LIST_DIR}/TextResGenGenerate.cmake"
              "${CMAKE_CURRENT_LIST_DIR}/TextResGenSameLayout.cmake"
        DESTINATION ${package_dir})
