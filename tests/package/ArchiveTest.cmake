# The release packages of a native build (cmake -P): makes them with CPack,
# unpacks the archive (.tar.gz, or .zip on Windows) into a temporary prefix
# and builds the notes example from it through find_package
# (ConsumerTest.cmake, MODE=prefix); where a .deb is made (Linux), unpacks it
# too and runs its programs from usr/bin.
# Inputs: SOURCE_DIR, BUILD_DIR, CONFIG, WORK, CXX, CXX_FLAGS (may be empty), GENERATOR, VERSION.
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/../RunCommand.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/GoldenExample.cmake")

file(REMOVE_RECURSE "${WORK}")
get_filename_component(cmake_bin "${CMAKE_COMMAND}" DIRECTORY)
run("${cmake_bin}/cpack" --config "${BUILD_DIR}/CPackConfig.cmake" -C "${CONFIG}" -B "${WORK}/packages")

file(GLOB archives "${WORK}/packages/textresgen-${VERSION}-*.tar.gz" "${WORK}/packages/textresgen-${VERSION}-*.zip")
list(LENGTH archives count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one textresgen-${VERSION}-* archive in ${WORK}/packages, found: ${archives}")
endif()
file(MAKE_DIRECTORY "${WORK}/unpacked")
run("${CMAKE_COMMAND}" -E chdir "${WORK}/unpacked" "${CMAKE_COMMAND}" -E tar xf "${archives}")
string(REGEX REPLACE "^.*/|\\.tar\\.gz$|\\.zip$" "" top "${archives}")
run("${CMAKE_COMMAND}" -DSOURCE_DIR=${SOURCE_DIR} -DBUILD_DIR=${BUILD_DIR} -DCONFIG=${CONFIG} -DCXX=${CXX} "-DCXX_FLAGS=${CXX_FLAGS}"
    "-DGENERATOR=${GENERATOR}" -DMODE=prefix "-DPREFIX=${WORK}/unpacked/${top}" "-DWORK=${WORK}/consumer"
    -P "${CMAKE_CURRENT_LIST_DIR}/ConsumerTest.cmake")
message(STATUS "${archives}: ${output}")

file(GLOB debs "${WORK}/packages/*.deb")
if(NOT debs)
  return()
endif()
find_program(DPKG_DEB dpkg-deb REQUIRED)
run("${DPKG_DEB}" --field "${debs}" Package Version Depends)
if(NOT output MATCHES "Package: textresgen\nVersion: ${VERSION}\nDepends: [^\n]*libc6")
  message(FATAL_ERROR "${debs}: unexpected control fields:\n${output}")
endif()
run("${DPKG_DEB}" -x "${debs}" "${WORK}/deb")
foreach(file IN ITEMS lib/cmake/TextResGen/TextResGenConfig.cmake lib/cmake/TextResGen/TextResGenFunctions.cmake
                      lib/pkgconfig/textresgen-runtime.pc share/doc/textresgen/README.md)
  if(NOT EXISTS "${WORK}/deb/usr/${file}")
    message(FATAL_ERROR "${debs} lacks /usr/${file}")
  endif()
endforeach()
# Every page the installed README links to is installed beside it.
file(READ "${WORK}/deb/usr/share/doc/textresgen/README.md" readme)
string(REGEX MATCHALL "\\(([A-Za-z0-9_./-]+\\.md)\\)" links "${readme}")
list(TRANSFORM links REPLACE "^\\((.*)\\)$" "\\1")
foreach(page IN LISTS links)
  if(NOT EXISTS "${WORK}/deb/usr/share/doc/textresgen/${page}")
    message(FATAL_ERROR "${debs}: the README links to ${page}, which is not installed beside it")
  endif()
endforeach()
foreach(program IN ITEMS textresgen-utf8 textresgen-layout textresgen-plurals textrescheck textresl10n)
  run("${WORK}/deb/usr/bin/${program}" --version)
  if(NOT output STREQUAL "${program} ${VERSION}\n")
    message(FATAL_ERROR "${debs}: /usr/bin/${program} --version says '${output}'")
  endif()
endforeach()
# textresgen takes no arguments: it generates in its working folder.
expect_golden_example("${WORK}/deb/usr/bin/textresgen")
message(STATUS "${debs}: control fields, files and programs as expected")
