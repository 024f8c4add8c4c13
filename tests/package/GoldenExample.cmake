# expect_golden_example(<command> [<arg>...]) for the package scripts (cmake
# -P; needs run() and SOURCE_DIR, WORK): runs a packaged textresgen, the
# command, in ${WORK}/run on the worked example and stops unless both files it
# writes equal the golden files byte for byte.
function(expect_golden_example)
  file(MAKE_DIRECTORY "${WORK}/run")
  file(COPY_FILE "${SOURCE_DIR}/tests/package/example-definition.txt" "${WORK}/run/TextResouce.txt")
  run("${CMAKE_COMMAND}" -E chdir "${WORK}/run" ${ARGN})
  foreach(pair IN ITEMS "textresouce.cpp|example.cpp.golden" "textresouce.h|example.h.golden")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 made)
    list(GET pair 1 golden)
    run("${CMAKE_COMMAND}" -E compare_files "${WORK}/run/${made}" "${SOURCE_DIR}/tests/golden/${golden}")
  endforeach()
endfunction()
