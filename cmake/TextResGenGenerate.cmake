# Runs textresgen on one definition file (cmake -P, called by
# textresgen_add_library). The generator takes no arguments and works in its
# current directory, so it runs in a staging folder, on the definition as
# textresgen-plurals writes it there: every plural message completed to the
# six plural categories, so that every language gets the same layout; each result replaces the
# file the build uses only when its bytes differ, so that an unchanged result
# keeps its timestamp and nothing that includes it is rebuilt.
#
# textresgen-layout then stamps the layout: textresouce_layout.h beside the
# UTF-8 header in DIR/include, textresouce_layout.cpp in DIR/layout; from the
# definition as the generator read it, textresouce_messages.h (the typed
# messages and the base's texts) beside them.
#
# Inputs: GENERATOR, CONVERTER, LAYOUT_TOOL, PLURALS_TOOL, CHECKER (textrescheck, or empty), CHECK_BASE (the
# definition to compare with, or empty), EMULATOR ("|"-separated,
# may be empty), IMPORTER (textresl10n, with CHECK_BASE: the base's members), DEFINITION, DIR, CONVERT_SOURCE (ON: also a UTF-8 copy of the source), STAMP.
#
# With HEAL_STAMP and HEAL_FILES ("|"-separated) it only removes the stamp,
# when there is one, if one of the files is missing, so that the generation
# runs again.
cmake_minimum_required(VERSION 3.25)

if(HEAL_STAMP)
  # No stamp yet (a first build): the generation runs anyway, with nothing to say.
  if(NOT EXISTS "${HEAL_STAMP}")
    return()
  endif()
  string(REPLACE "|" ";" files "${HEAL_FILES}")
  foreach(file IN LISTS files)
    if(NOT EXISTS "${file}")
      message(STATUS "textresgen: ${file} is missing; generating again")
      file(REMOVE "${HEAL_STAMP}")
      break()
    endif()
  endforeach()
  return()
endif()

string(REPLACE "|" ";" emulator "${EMULATOR}")

# Findings first: an error there would only turn into a compile error later.
# The checker's lines go to the build log as they are, so that editors can
# jump to FILE:LINE.
# With CHECK_BASE (the SAME_LAYOUT_AS library's definition) the file is
# compared with it as `textrescheck BASE FILE` does: a translation's other
# printf arguments stop the build at its line, not in the application.
# With IMPORTER (textresl10n) as well, the import compares it instead, name
# by name, and gives the file the base's members: a missing or extra name is
# then a warning, not an error.
set(compare_with "${CHECK_BASE}")
if(IMPORTER)
  set(compare_with "")
endif()
if(CHECKER)
  execute_process(COMMAND ${emulator} "${CHECKER}" ${compare_with} "${DEFINITION}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "textrescheck rejects ${DEFINITION} (status ${status})")
  endif()
endif()
set(definition "${DEFINITION}")
if(IMPORTER AND CHECK_BASE)
  set(definition "${DIR}/with-base-members.txt")
  execute_process(COMMAND ${emulator} "${IMPORTER}" import --base "${CHECK_BASE}" "${DEFINITION}" -o "${definition}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "textresl10n rejects ${DEFINITION} against ${CHECK_BASE} (status ${status})")
  endif()
endif()

set(stage "${DIR}/stage")
file(REMOVE_RECURSE "${stage}")
file(MAKE_DIRECTORY "${stage}")
# Its errors name the definition's own lines and go to the build log as they
# are, FILE:LINE first, like the checker's.
execute_process(COMMAND ${emulator} "${PLURALS_TOOL}" "${definition}" "${stage}/TextResouce.txt"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "textresgen-plurals refuses ${DEFINITION} (status ${status})")
endif()

execute_process(COMMAND ${emulator} "${GENERATOR}"
                WORKING_DIRECTORY "${stage}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
# The generator says "ERR!" and still ends with status 0 when a file fails.
if(NOT status EQUAL 0 OR output MATCHES "ERR!"
   OR NOT EXISTS "${stage}/textresouce.cpp" OR NOT EXISTS "${stage}/textresouce.h")
  message(FATAL_ERROR "textresgen failed on ${DEFINITION} (status ${status}): ${output}${errors}")
endif()

function(to_utf8 from to)
  execute_process(COMMAND ${emulator} "${CONVERTER}" "${from}" "${to}"
                  RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "textresgen-utf8 failed on the output for ${DEFINITION}: ${errors}")
  endif()
endfunction()
to_utf8("${stage}/textresouce.h" "${stage}/textresouce.utf8.h")
execute_process(COMMAND ${emulator} "${LAYOUT_TOOL}" "${stage}/textresouce.h" "${stage}" "${stage}/TextResouce.txt"
                RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT EXISTS "${stage}/textresouce_layout.h" OR NOT EXISTS "${stage}/textresouce_layout.cpp"
   OR NOT EXISTS "${stage}/textresouce_messages.h")
  message(FATAL_ERROR "textresgen-layout failed on the header for ${DEFINITION} (status ${status}): ${errors}")
endif()
if(CONVERT_SOURCE)
  to_utf8("${stage}/textresouce.cpp" "${stage}/textresouce.utf8.cpp")
  file(COPY_FILE "${stage}/textresouce.utf8.cpp" "${DIR}/utf8/textresouce.cpp" ONLY_IF_DIFFERENT)
endif()
file(COPY_FILE "${stage}/textresouce.cpp" "${DIR}/utf16/textresouce.cpp" ONLY_IF_DIFFERENT)
file(COPY_FILE "${stage}/textresouce.h" "${DIR}/utf16/textresouce.h" ONLY_IF_DIFFERENT)
file(COPY_FILE "${stage}/textresouce.utf8.h" "${DIR}/include/textresouce.h" ONLY_IF_DIFFERENT)
file(COPY_FILE "${stage}/textresouce_messages.h" "${DIR}/include/textresouce_messages.h" ONLY_IF_DIFFERENT)
file(COPY_FILE "${stage}/textresouce_layout.h" "${DIR}/include/textresouce_layout.h" ONLY_IF_DIFFERENT)
file(COPY_FILE "${stage}/textresouce_layout.cpp" "${DIR}/layout/textresouce_layout.cpp" ONLY_IF_DIFFERENT)
file(TOUCH "${STAMP}")
