# cmake -DSCRIPT=<make_plural_rules.cmake> -DWORK=<folder> -P PluralRulesInput.cmake
#
# The plural table generator on plurals.xml files it must refuse: each fails
# with the file, the line of the fault and why, and leaves no table behind.
# One well-formed file first, so that a script refusing everything fails here.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

set(head "<?xml version=\"1.0\"?>\n<supplementalData>\n<plurals type=\"cardinal\">\n")
set(root "<pluralRules locales=\"root\">\n<pluralRule count=\"other\"> @integer 0~15, … @decimal 0.0~1.5, …</pluralRule>\n</pluralRules>\n")
set(tail "</plurals>\n</supplementalData>\n")

function(rules_set locales)  # pluralRules of `locales` with the rules in ARGN (count=text pairs)
  set(text "<pluralRules locales=\"${locales}\">\n")
  foreach(rule IN LISTS ARGN)
    string(FIND "${rule}" "=" equals)
    string(SUBSTRING "${rule}" 0 ${equals} count)
    math(EXPR equals "${equals} + 1")
    string(SUBSTRING "${rule}" ${equals} -1 body)
    string(APPEND text "<pluralRule count=\"${count}\">${body}</pluralRule>\n")
  endforeach()
  string(APPEND text "</pluralRules>\n")
  set(set_text "${text}" PARENT_SCOPE)
endfunction()

# Accepted: the generated table has the set's rule and relation.
rules_set("ru uk" "one=v = 0 and i % 10 = 1 and i % 100 != 11 @integer 1, 21" "other= @integer 0, 2~16")
file(WRITE "${WORK}/good.xml" "${head}${root}${set_text}${tail}")
execute_process(COMMAND "${CMAKE_COMMAND}" -DINPUT=${WORK}/good.xml -DOUTPUT=${WORK}/good.inc -P "${SCRIPT}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "a well-formed file was refused:\n${out}")
endif()
file(READ "${WORK}/good.inc" table)
foreach(expected "{'i', 100, true, 2, 1, false}" "{\"ru\", 1}" "{\"uk\", 1}" "{1, 0, 3, true}")
  string(FIND "${table}" "${expected}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "the table lacks ${expected}:\n${table}")
  endif()
endforeach()

# Refused: line (of the fault, in a file whose rules start on line 4) and message.
set(cases
  "5|character outside the rule grammar|xx|one=n = 1 or system(1) @integer 1|other= @integer 0"
  "5|character outside the rule grammar|xx|one=n = 1 # 2 @integer 1|other= @integer 0"
  "5|character outside the rule grammar|xx|one=n > 2 @integer 3|other= @integer 0"
  "5|expected an operand|xx|one=x = 1 @integer 1|other= @integer 0"
  "5|expected a modulus greater than 0|xx|one=n % 0 = 1 @integer 1|other= @integer 0"
  "5|leading zero or more than nine digits|xx|one=n = 1234567890 @integer 1|other= @integer 0"
  "5|leading zero or more than nine digits|xx|one=n = 010 @integer 1|other= @integer 0"
  "5|the range 5..2 is empty|xx|one=n = 5..2 @integer 5|other= @integer 0"
  "5|ends too early|xx|one=n = 1 and @integer 1|other= @integer 0"
  "5|expected ',', '..', 'and' or 'or'|xx|one=n = 1 xor n = 2 @integer 1|other= @integer 0"
  "5|has no condition|xx|one= @integer 1|other= @integer 0"
  "5|'other' has a condition|xx|other=n = 1 @integer 0"
  "5|not a plural category|xx|single=n = 1 @integer 1|other= @integer 0"
  "6|out of CLDR's order|xx|one=n = 1 @integer 1|zero=n = 0 @integer 0|other= @integer 0"
  "6|end without a rule for 'other'|xx|one=n = 1 @integer 1"
  "5|samples of 'one'|xx|one=n = 1 @integer 1, two|other= @integer 0"
  "4|locales attribute holds characters|../x|other= @integer 0"
  "4|is not a locale name|x_Y|other= @integer 0"
  "4|has rules twice|root|other= @integer 0")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" case "${case}")
  list(POP_FRONT case line message locales)
  rules_set("${locales}" ${case})
  file(WRITE "${WORK}/bad.xml" "${head}${root}${set_text}${tail}")
  # The fault is in the second set, which starts on line 7.
  math(EXPR line "${line} + 3")
  file(REMOVE "${WORK}/bad.inc")
  execute_process(COMMAND "${CMAKE_COMMAND}" -DINPUT=${WORK}/bad.xml -DOUTPUT=${WORK}/bad.inc -P "${SCRIPT}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  string(REPLACE "\n  " " " out "${out}")
  if(status EQUAL 0 OR EXISTS "${WORK}/bad.inc")
    message(FATAL_ERROR "accepted: ${set_text}")
  endif()
  string(FIND "${out}" "bad.xml:${line}: " at_line)
  string(FIND "${out}" "${message}" has_message)
  if(at_line EQUAL -1 OR has_message EQUAL -1)
    message(FATAL_ERROR "expected line ${line} and \"${message}\" for\n${set_text}got\n${out}")
  endif()
endforeach()

# Faults outside the rules: no section, an unknown element, no root.
foreach(case "0|no <plurals type=\"cardinal\"> section|<supplementalData></supplementalData>"
             "4|unexpected in the cardinal plural rules|${head}<pluralRanges/>${tail}"
             "4|no rules for 'root'|${head}${tail}")
  string(FIND "${case}" "|" bar)
  string(SUBSTRING "${case}" 0 ${bar} line)
  math(EXPR bar "${bar} + 1")
  string(SUBSTRING "${case}" ${bar} -1 case)
  string(FIND "${case}" "|" bar)
  string(SUBSTRING "${case}" 0 ${bar} message)
  math(EXPR bar "${bar} + 1")
  string(SUBSTRING "${case}" ${bar} -1 text)
  file(WRITE "${WORK}/bad.xml" "${text}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -DINPUT=${WORK}/bad.xml -DOUTPUT=${WORK}/bad.inc -P "${SCRIPT}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  string(REPLACE "\n  " " " out "${out}")
  string(FIND "${out}" "bad.xml:${line}: " at_line)
  string(FIND "${out}" "${message}" has_message)
  if(status EQUAL 0 OR at_line EQUAL -1 OR has_message EQUAL -1)
    message(FATAL_ERROR "expected line ${line} and \"${message}\" for\n${text}\ngot\n${out}")
  endif()
endforeach()
