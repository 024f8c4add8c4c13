# An installed application finds its languages (cmake -P): the project
# tests/package/installed, built against an install of textresgen, installs
# its languages into lib/shipped/languages with textresgen_install_languages;
# its program runs from the build tree, from a DESTDIR install under /usr and,
# where dpkg-deb is, from its .deb unpacked, each time with the build tree's
# languages moved away, and must load Japanese from the installed folder.
# Inputs: SOURCE_DIR, BUILD_DIR (built textresgen), CONFIG, WORK, CXX, GENERATOR.
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/../RunCommand.cmake")

file(REMOVE_RECURSE "${WORK}")
set(prefix "${WORK}/prefix")
run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --config "${CONFIG}" --prefix "${prefix}")
set(build "${WORK}/build")
run("${CMAKE_COMMAND}" -S "${CMAKE_CURRENT_LIST_DIR}/installed" -B "${build}" -G "${GENERATOR}"
    "-DCMAKE_CXX_COMPILER=${CXX}" -DCMAKE_BUILD_TYPE=Release "-DCMAKE_PREFIX_PATH=${prefix}"
    -DCMAKE_INSTALL_PREFIX=/usr)
run("${CMAKE_COMMAND}" --build "${build}" --config Release)

# Runs `program` ja and expects Japanese from `folder`.
function(expect_japanese_from program folder)
  run("${program}" ja)
  if(NOT output STREQUAL "ja Memo ${folder}\n")
    message(FATAL_ERROR "${program} ja: expected 'ja Memo ${folder}', got:\n${output}")
  endif()
endfunction()

expect_japanese_from("${build}/shipped" "${build}/languages")
set(ENV{DESTDIR} "${WORK}/root")
run("${CMAKE_COMMAND}" --install "${build}" --config Release)
unset(ENV{DESTDIR})
find_program(DPKG_DEB dpkg-deb)
if(DPKG_DEB)
  get_filename_component(cmake_bin "${CMAKE_COMMAND}" DIRECTORY)
  run("${CMAKE_COMMAND}" -E chdir "${build}" "${cmake_bin}/cpack" -C Release)
  file(GLOB deb "${build}/shipped_*.deb")
  run("${DPKG_DEB}" --contents "${deb}")
  foreach(file IN ITEMS ./usr/bin/shipped ./usr/lib/shipped/languages/shipped_en.so
                        ./usr/lib/shipped/languages/shipped_ja.so)
    string(FIND "${output}" " ${file}\n" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${deb} lacks ${file}:\n${output}")
    endif()
  endforeach()
  run("${DPKG_DEB}" -x "${deb}" "${WORK}/deb")
endif()
# The installed programs must not lean on the build tree.
file(RENAME "${build}/languages" "${build}/languages-moved")
expect_japanese_from("${WORK}/root/usr/bin/shipped" "${WORK}/root/usr/lib/shipped/languages")
if(DPKG_DEB)
  expect_japanese_from("${WORK}/deb/usr/bin/shipped" "${WORK}/deb/usr/lib/shipped/languages")
  message(STATUS "the build tree, a DESTDIR install and the .deb each load their languages")
else()
  message(STATUS "the build tree and a DESTDIR install load their languages; no dpkg-deb: no .deb made")
endif()
