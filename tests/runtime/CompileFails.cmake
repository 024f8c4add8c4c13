# Compiles SOURCE with -DCASE and fails unless the compiler refuses it; its
# output is printed for the test's PASS_REGULAR_EXPRESSION (a single line:
# the expressions match the message and its reason wherever they stand).
# Inputs: COMPILER, CASE, SOURCE, INCLUDES ("|"-separated).
string(REPLACE "|" ";" includes "${INCLUDES}")
list(TRANSFORM includes PREPEND "-I")
execute_process(COMMAND "${COMPILER}" -std=c++17 -fsyntax-only "-D${CASE}" ${includes} "${SOURCE}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(status EQUAL 0)
  message(FATAL_ERROR "${SOURCE} compiles with -D${CASE}, but must not")
endif()
string(REPLACE "\n" " " output "${output}")
message("${output}")
