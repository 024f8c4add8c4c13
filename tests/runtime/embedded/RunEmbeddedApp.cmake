# Runs the application with a built-in base (APP, through EMULATOR, "|"-
# separated, when given) with ARGS ("|"-separated) and compares what it
# prints with EXPECTED, a file of UTF-8 lines: the folders of refused files,
# their suffix and the layouts' fingerprints are left out, since they differ
# between systems. The {fmt} line, last, is expected as the file's "cout: "
# line with WITH_FMT, else the line that says it was skipped.
string(REPLACE "|" ";" emulator "${EMULATOR}")
string(REPLACE "|" ";" args "${ARGS}")
execute_process(COMMAND ${emulator} "${APP}" ${args} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${APP} ended with status ${status}:\n${out}${err}")
endif()
string(REPLACE "\r\n" "\n" out "${out}")
string(REGEX REPLACE "refused: [^\n]*[/\\]([A-Za-z_]+\\.(so|dll|dylib)): " "refused: \\1: " out "${out}")
string(REGEX REPLACE "refused: [^\n]*: the languages folder" "refused: FOLDER: the languages folder" out "${out}")
string(REGEX REPLACE "\\.(so|dll|dylib): " ".SUFFIX: " out "${out}")
string(REGEX REPLACE "\\([^,\n]*, the application expects [^)\n]*\\)" "(LAYOUT, the application expects LAYOUT)" out "${out}")
file(READ "${EXPECTED}" expected)
if(WITH_FMT)
  string(REGEX MATCH "cout: [^\n]*\n" fmt_line "${expected}")
  string(REPLACE "cout: " "fmt: " fmt_line "${fmt_line}")
else()
  set(fmt_line "fmt: skipped, {fmt} was not found (Debian's libfmt-dev)\n")
endif()
string(APPEND expected "${fmt_line}")
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "${APP} ${args} printed\n${out}\ninstead of\n${expected}")
endif()
