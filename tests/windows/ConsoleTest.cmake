# A companion tool writing to a console: textrescheck.exe run under the
# emulator on a pseudo-terminal (script(1)), which Wine turns into a Windows
# console. Its finding quotes a name in Japanese; the terminal must receive
# those characters, not the mojibake that UTF-8 bytes written to a console of
# another code page become.
# Inputs: CHECKER (textrescheck.exe), EMULATOR ("|"-separated), WORK.
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/../RunCommand.cmake")

string(REPLACE "|" ";" emulator "${EMULATOR}")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
# UTF-8 with its mark; a name holding a space, so that a finding quotes it.
string(ASCII 239 187 191 mark)
file(WRITE "${WORK}/TextResouce.txt" "${mark}開く 前=x\r\n")
set(command "")
foreach(word IN LISTS emulator ITEMS "${CHECKER}" TextResouce.txt)
  string(APPEND command " '${word}'")
endforeach()
execute_process(COMMAND script -qec "${command}" /dev/null WORKING_DIRECTORY "${WORK}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
# Wine's console hides and shows the cursor around each write: the output
# went through a console, not a pipe.
string(ASCII 27 escape)
if(NOT output MATCHES "${escape}\\[\\?25l")
  message(FATAL_ERROR "no console output (status ${status}):\n${output}")
endif()
if(NOT status EQUAL 1 OR NOT output MATCHES "TextResouce.txt:1: error: [^\n]*'開く 前'")
  message(FATAL_ERROR "the finding did not reach the console as written (status ${status}):\n${output}")
endif()
message(STATUS "the finding reached the console in Japanese")
