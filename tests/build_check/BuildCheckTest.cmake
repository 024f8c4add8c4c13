# textresgen_add_library checks a translation against its base before
# generating it (cmake -P): a project is configured and built with the
# programs of this build (imported, no install) for each case, and the
# build's outcome and its FILE:LINE lines are compared with the case's.
# Inputs: CMAKE_DIR (the package's cmake/ folder), PROGRAMS ("|"-separated
# name=path pairs), WORK (scratch folder), CXX, GENERATOR.
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/../RunCommand.cmake")

file(REMOVE_RECURSE "${WORK}")
string(REPLACE "|" ";" programs "${PROGRAMS}")
set(imports "")
foreach(pair IN LISTS programs)
  string(REGEX MATCH "^([^=]+)=(.*)$" _ "${pair}")
  string(APPEND imports "add_executable(TextResGen::${CMAKE_MATCH_1} IMPORTED)\n"
                        "set_target_properties(TextResGen::${CMAKE_MATCH_1} PROPERTIES "
                        "IMPORTED_LOCATION [[${CMAKE_MATCH_2}]])\n")
endforeach()

# Writes `text` as UTF-8 with the mark, each "\n" a CR LF as editors on
# Windows save it.
function(write_definition path text)
  string(REPLACE "\n" "\r\n" text "${text}")
  string(ASCII 239 187 191 mark)
  file(WRITE "${path}" "${mark}${text}")
endfunction()

set(english "Status.Ready=Ready\nStatus.Saved=Saved %d notes to %s\nStatus.Quit=Quit\n")

# build_case(<name> <libraries> <german text> <expect: PASS|FAIL> <piece>...):
# the project of texts_en (the English above) and the `libraries` calls;
# with FAIL the build must fail, with PASS succeed; either way every piece
# must be in its output, in order.
function(build_case name libraries german expect)
  set(app "${WORK}/${name}")
  write_definition("${app}/en.txt" "${english}")
  write_definition("${app}/de.txt" "${german}")
  file(WRITE "${app}/CMakeLists.txt" "cmake_minimum_required(VERSION 3.25)
project(BuildCheck LANGUAGES CXX)
${imports}include([[${CMAKE_DIR}/TextResGenFunctions.cmake]])
textresgen_add_library(texts_en en.txt)
${libraries}
")
  run("${CMAKE_COMMAND}" -S "${app}" -B "${app}/build" -G "${GENERATOR}" "-DCMAKE_CXX_COMPILER=${CXX}")
  execute_process(COMMAND "${CMAKE_COMMAND}" --build "${app}/build" RESULT_VARIABLE status
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(expect STREQUAL "FAIL" AND status EQUAL 0)
    message(FATAL_ERROR "${name}: the build passed but must fail:\n${out}")
  elseif(expect STREQUAL "PASS" AND NOT status EQUAL 0)
    message(FATAL_ERROR "${name}: the build failed:\n${out}")
  endif()
  set(rest "${out}")
  foreach(piece IN LISTS ARGN)
    string(FIND "${rest}" "${piece}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${name}: expected, in this order, but missing: '${piece}'\nin:\n${out}")
    endif()
    string(SUBSTRING "${rest}" ${at} -1 rest)
  endforeach()
  message(STATUS "${name}: as expected")
endfunction()

# The German arguments swapped: by default the build stops at the line, so
# the application never gets a text that makes printf read an int as a
# string; NO_CHECK leaves it to whoever asked for that.
set(swapped "Status.Ready=Bereit\nStatus.Saved=%s Notizen in %d gespeichert\nStatus.Quit=Beenden\n")
build_case(swapped "textresgen_add_library(texts_de de.txt SAME_LAYOUT_AS texts_en)" "${swapped}" FAIL
  "${WORK}/swapped/de.txt:2: error: 'Status.Saved': the translation takes argument 1 as char*, "
  "the base text as int"
  "textresl10n rejects")
build_case(swapped_no_check "textresgen_add_library(texts_de de.txt SAME_LAYOUT_AS texts_en NO_CHECK)"
  "${swapped}" PASS)

# A German file one text behind the English one and with a name of its own
# builds with the English members: the English text where it has none.
build_case(behind "textresgen_add_library(texts_de de.txt SAME_LAYOUT_AS texts_en)"
  "Status.Ready=Bereit\nStatus.Saved=%d Notizen in %s gespeichert\nStatus.Old=Alt\n" PASS
  "${WORK}/behind/de.txt:3: warning: 'Status.Old' is not in the base; left out"
  "${WORK}/behind/de.txt: warning: 'Status.Quit' is not in the file; the base text is used")
file(READ "${WORK}/behind/build/textresgen/texts_de/utf16/textresouce.cpp" source HEX)
# Bereit and Quit (UTF-16LE), and nothing of Alt.
if(NOT source MATCHES "420065007200650069007400" OR NOT source MATCHES "5100750069007400"
   OR source MATCHES "41006c007400")
  message(FATAL_ERROR "behind: texts_de does not hold Bereit and the English Quit alone")
endif()

# A translation holding a bidirectional control (U+202E, as a translator's
# editor may leave it): the generated C++ holds it as \u202E, so g++ with
# -Werror=bidi-chars=any compiles it, and the text is the translator's.
string(ASCII 226 128 174 rlo)
set(bidi_options "if(CMAKE_CXX_COMPILER_ID STREQUAL GNU AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
  target_compile_options(texts_de PRIVATE -Werror=bidi-chars=any)
endif()")
build_case(bidi "textresgen_add_library(texts_de de.txt SAME_LAYOUT_AS texts_en)\n${bidi_options}"
  "Status.Ready=${rlo}Bereit\nStatus.Saved=%d Notizen in %s gespeichert\nStatus.Quit=Beenden\n" PASS)
file(READ "${WORK}/bidi/build/textresgen/texts_de/utf16/textresouce.cpp" source HEX)
# \u202EBereit in UTF-16LE; U+202E raw nowhere.
if(NOT source MATCHES "5c0075003200300032004500420065007200650069007400" OR source MATCHES "2e20")
  message(FATAL_ERROR "bidi: texts_de's source does not hold U+202E as \\u202E before Bereit")
endif()
