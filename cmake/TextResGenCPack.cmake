# Release packages of what `cmake --install` installs (the programs and the
# CMake package, plus the documentation):
#   Windows (the MinGW build):  textresgen-<version>-windows-x86_64.zip
#   Linux:                      textresgen-<version>-linux-x86_64.tar.gz and textresgen_<version>_<arch>.deb
#   other systems:              a .tar.gz
# Made by `cpack --preset <configure preset>` after a build, into <build>/packages.
if(NOT TEXTRESGEN_INSTALL)
  return()
endif()

include(GNUInstallDirs)
# The README and every page it links to, in the same folders, so that its
# links work where it is installed.
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/textresgen)
install(FILES "${PROJECT_SOURCE_DIR}/README.md" DESTINATION ${doc_dir})
file(READ "${PROJECT_SOURCE_DIR}/README.md" readme)
# (A link's "](" is not matched whole: a bracket would split CMake's list.)
string(REGEX MATCHALL "\\(([A-Za-z0-9_./-]+\\.md)\\)" links "${readme}")
list(TRANSFORM links REPLACE "^\\((.*)\\)$" "\\1")
list(REMOVE_DUPLICATES links)
foreach(page IN LISTS links)
  if(NOT EXISTS "${PROJECT_SOURCE_DIR}/${page}")
    message(FATAL_ERROR "README.md links to ${page}, which does not exist")
  endif()
  cmake_path(GET page PARENT_PATH folder)
  install(FILES "${PROJECT_SOURCE_DIR}/${page}" DESTINATION ${doc_dir}/${folder})
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/README.md")

set(CPACK_PACKAGE_NAME textresgen)
set(CPACK_PACKAGE_VENDOR textresgen)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Generates C++ string resources (a structure and an exported InitString) from a definition file")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/packages")
set(CPACK_STRIP_FILES ON)
string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" package_system)
set(CPACK_PACKAGE_FILE_NAME "textresgen-${PROJECT_VERSION}-${package_system}")

if(WIN32)
  # The programs of the MinGW build are linked statically: the zip needs no
  # runtime DLL beside them.
  set(CPACK_GENERATOR ZIP)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CPACK_GENERATOR TGZ DEB)
else()
  set(CPACK_GENERATOR TGZ)
endif()

# The .deb installs under /usr; its dependencies come from dpkg-shlibdeps.
set(TEXTRESGEN_PACKAGE_CONTACT "textresgen developers" CACHE STRING "Maintainer named in the .deb")
set(CPACK_PACKAGE_CONTACT "${TEXTRESGEN_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS cmake)

include(CPack)
