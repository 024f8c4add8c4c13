# examples/meson with the installed textresgen (cmake -P): set up and built by
# Meson against a DESTDIR install found through pkg-config, its program loads
# Japanese, and the English fallback for a language it lacks; a Japanese
# definition with one member more then fails the build at the layout check.
# Without meson on the PATH it says so and does nothing (the test is skipped).
# Inputs: BUILD_DIR (built textresgen), CONFIG, SOURCE_DIR, WORK.
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/../RunCommand.cmake")

find_program(MESON meson)
if(NOT MESON)
  message(STATUS "meson is not installed: the Meson example is not tested (Debian: apt-get install meson)")
  return()
endif()
file(REMOVE_RECURSE "${WORK}")
install_into("${WORK}/root" "${BUILD_DIR}" "${CONFIG}")
set(ENV{PKG_CONFIG_PATH} "${WORK}/root/usr/lib/pkgconfig")

# A copy, so that the definition can be edited below.
file(COPY "${SOURCE_DIR}/examples/meson/" DESTINATION "${WORK}/example")
set(build "${WORK}/build")
run("${MESON}" setup "${build}" "${WORK}/example")
run("${MESON}" compile -C "${build}")
foreach(case IN ITEMS "ja|[ja]\nメモ帳\n開く(&O)...\n" "fr|[en]\nNotes\n&Open...\n")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 wanted)
  list(GET case 1 expected)
  run("${CMAKE_COMMAND}" -E env LC_ALL=C.UTF-8 "${build}/notes" ${wanted})
  if(NOT output STREQUAL expected)
    message(FATAL_ERROR "notes ${wanted}, built by Meson: expected\n${expected}got\n${output}")
  endif()
endforeach()

file(APPEND "${WORK}/example/ja/texts.txt" "Menu.Save=保存\n")
execute_process(COMMAND "${MESON}" compile -C "${build}" RESULT_VARIABLE status OUTPUT_VARIABLE output
                ERROR_VARIABLE output)
if(status EQUAL 0 OR NOT output MATCHES "same_layout_ja")
  message(FATAL_ERROR "a Japanese library of another layout than the English one was built:\n${output}")
endif()
message(STATUS "examples/meson builds with the installed textresgen, loads ja and en, and refuses another layout")
