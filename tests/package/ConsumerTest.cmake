# Installs textresgen into a temporary prefix, then builds projects that use
# it through find_package(TextResGen) as any consumer would (cmake -P):
#  1. the notes example: an application linking TextResGen::runtime loads
#     the language that LANGUAGE or LANG asks for, falls back to English,
#     switches at run time, and refuses the library built from an older
#     layout, naming it;
#  2. rebuilds: an unrelated change leaves the generated files and libraries
#     untouched; a changed text regenerates, reaches the output, and leaves
#     the header, so no host code, untouched;
#  3. two languages whose layouts differ: the build fails with a clear message;
#  4. CHECK on a definition with a C++ keyword as a name: the build fails with
#     textrescheck's finding;
#  5. a language kept as a PO file (BASE): imported and built with the base's
#     layout; a PO with a placeholder mismatch fails the build at its line;
#  6. the layout stamp: LANGUAGE libraries loaded from the languages folder
#     by their catalog names export the fingerprint of the host's
#     textresouce_layout.h when their layout is the host's, another one
#     when it is not.
# With MODE=subdir instead: step 1 only, the example taking textresgen from
# its source tree through add_subdirectory. With MODE=prefix: step 1 only,
# with textresgen found in PREFIX, where it was unpacked from a package.
# Inputs: SOURCE_DIR, BUILD_DIR (built textresgen), CONFIG, WORK (scratch
# folder), CXX (the consumer's compiler), CXX_FLAGS (its flags: those of a
# sanitizer build, whose installed run-time library is instrumented; may be
# empty), GENERATOR, MODE (optional), PREFIX (MODE=prefix).
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/../RunCommand.cmake")

# Fails unless every piece occurs in `text`, each after the one before.
function(expect_in_order text)
  set(rest "${text}")
  foreach(piece IN LISTS ARGN)
    string(FIND "${rest}" "${piece}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "expected, in this order, but missing: '${piece}'\nin:\n${text}")
    endif()
    string(LENGTH "${piece}" length)
    math(EXPR at "${at} + ${length}")
    string(SUBSTRING "${rest}" ${at} -1 rest)
  endforeach()
endfunction()

function(timestamps result)
  set(stamps "")
  foreach(file IN LISTS ARGN)
    if(NOT EXISTS "${file}")
      message(FATAL_ERROR "missing: ${file}")
    endif()
    file(TIMESTAMP "${file}" stamp "%s" UTC)
    list(APPEND stamps "${stamp}")
  endforeach()
  set(${result} "${stamps}" PARENT_SCOPE)
endfunction()

# Timestamps have whole seconds: wait past the second of the last write.
function(wait_past_this_second)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E sleep 1.1)
endfunction()

# Builds `dir`, which must fail: if it succeeds, stops with `built` and the
# build's output; else expects every further argument in that output, in order.
function(expect_build_failure dir built)
  execute_process(COMMAND "${CMAKE_COMMAND}" --build "${dir}" --config Release
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(status EQUAL 0)
    message(FATAL_ERROR "${built}:\n${output}")
  endif()
  expect_in_order("${output}" ${ARGN})
endfunction()

file(REMOVE_RECURSE "${WORK}")
set(prefix "${WORK}/prefix")
set(configure_args -G "${GENERATOR}" "-DCMAKE_CXX_COMPILER=${CXX}" -DCMAKE_BUILD_TYPE=Release)
if(CXX_FLAGS)
  list(APPEND configure_args "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
endif()
if(MODE STREQUAL "subdir")
  list(APPEND configure_args "-DTEXTRESGEN_SOURCE_DIR=${SOURCE_DIR}")
elseif(MODE STREQUAL "prefix")
  set(prefix "${PREFIX}")
  list(APPEND configure_args "-DCMAKE_PREFIX_PATH=${prefix}")
else()
  run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --config "${CONFIG}" --prefix "${prefix}")
  list(APPEND configure_args "-DCMAKE_PREFIX_PATH=${prefix}")
endif()

# 1. The example, copied so that step 2 can edit its definitions.
set(app "${WORK}/notes")
set(app_build "${WORK}/notes-build")
file(COPY "${SOURCE_DIR}/examples/" DESTINATION "${app}")
run("${CMAKE_COMMAND}" -S "${app}" -B "${app_build}" ${configure_args})
file(STRINGS "${app_build}/CMakeCache.txt" found REGEX "^TextResGen_DIR:")
if(NOT MODE STREQUAL "subdir" AND NOT found STREQUAL "TextResGen_DIR:PATH=${prefix}/lib/cmake/TextResGen")
  message(FATAL_ERROR "TextResGen was not taken from the temporary install: ${found}")
endif()
run("${CMAKE_COMMAND}" --build "${app_build}" --config Release)
file(STRINGS "${app_build}/run-Release.txt" host)
file(GLOB english "${app_build}/languages/notes_en.*")
file(GLOB japanese "${app_build}/languages/notes_ja.*")
# The host with only the given variables of the user's languages set.
function(run_host)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "" "ENV;ARGS")
  run("${CMAKE_COMMAND}" -E env --unset=LANGUAGE --unset=LC_ALL --unset=LC_MESSAGES --unset=LANG ${arg_ENV}
      "${host}" ${arg_ARGS})
  set(output "${output}" PARENT_SCOPE)
endfunction()

run_host(ENV LANGUAGE=de_AT:ja LANG=en_US.UTF-8 ARGS ja fr)
expect_in_order("${output}"
  "preferred: de-AT, ja, en-US\n"
  "[de]\n"
  "App.Title              TextResGen Notizen\n"
  "switching to ja\n"
  "[ja]\n"
  "App.Title              テキストリソース メモ帳\n"
  "Dialog.Save.Prompt     閉じる前に「%s」への変更を保存しますか？\n"
  "Message.Info.Welcome   お帰りなさい、𠮷田さん！\n"
  "switching to fr\n"
  "refused: "
  "notes_fr"
  "another layout"
  "[en]\n"
  "App.Title              TextResGen Notes\n"
  "Dialog.Save.Prompt     Save the changes to \"%s\" before closing?\n")
# The C locale asks for nothing: the fallback. LANG alone is enough.
run_host(ENV LANGUAGE=de LANG=C)
expect_in_order("${output}" "preferred: (none)\n" "[en]\n")
run_host(ENV LANG=ja_JP.UTF-8 ARGS en)
expect_in_order("${output}" "[ja]\n" "Menu.File.Open         開く(&O)...\n" "[en]\n" "Menu.File.Open         &Open...\n")
# A library without a layout stamp, dropped into the folder by hand, is
# refused for that before its InitString runs.
if(CMAKE_HOST_SYSTEM_NAME STREQUAL "Linux")
  run("${CXX}" -shared -fPIC -DLANGUAGE_KIND=1 "${SOURCE_DIR}/tests/runtime/unstamped.cpp"
      -o "${app_build}/languages/notes_it.so")
  run_host(ENV LANG=it_IT.UTF-8)
  expect_in_order("${output}" "available: de, en, fr, it, ja\n" "refused: " "notes_it.so: it has no layout stamp"
                  "[en]\n")
  file(REMOVE "${app_build}/languages/notes_it.so")
endif()

if(MODE STREQUAL "subdir")
  message(STATUS "example through add_subdirectory with ${CXX}: all checks passed")
  return()
elseif(MODE STREQUAL "prefix")
  message(STATUS "example through find_package from ${prefix} with ${CXX}: all checks passed")
  return()
endif()

# 2. Rebuilds.
set(gen "${app_build}/textresgen")
set(generated
  "${gen}/notes_en/utf16/textresouce.cpp" "${gen}/notes_en/utf16/textresouce.h"
  "${gen}/notes_en/include/textresouce.h" "${gen}/notes_en/include/textresouce_layout.h"
  "${gen}/notes_en/layout/textresouce_layout.cpp"
  "${gen}/notes_ja/utf16/textresouce.cpp" "${gen}/notes_ja/utf16/textresouce.h"
  "${gen}/notes_ja/include/textresouce.h" "${gen}/notes_ja/include/textresouce_layout.h"
  "${gen}/notes_ja/layout/textresouce_layout.cpp")
timestamps(before ${generated} "${english}" "${japanese}")
wait_past_this_second()
file(TOUCH "${app}/host.cpp")
run("${CMAKE_COMMAND}" --build "${app_build}" --config Release)
timestamps(after ${generated} "${english}" "${japanese}")
if(NOT before STREQUAL after)
  message(FATAL_ERROR "an unrelated rebuild touched generated files or libraries:\n"
                      "${generated};${english};${japanese}\nbefore ${before}\nafter  ${after}")
endif()

# A new text for one member: only that language's source changes.
timestamps(header_before "${gen}/notes_ja/utf16/textresouce.h" "${gen}/notes_ja/include/textresouce.h"
           "${gen}/notes_ja/include/textresouce_layout.h" "${gen}/notes_ja/layout/textresouce_layout.cpp"
           "${gen}/notes_en/utf16/textresouce.cpp" "${host}")
timestamps(source_before "${gen}/notes_ja/utf16/textresouce.cpp")
file(READ "${app}/japanese.txt" text)
string(REPLACE "Message.Info.Welcome=お帰りなさい、𠮷田さん！" "Message.Info.Welcome=ようこそ、𠮷田さん。"
       edited "${text}")
if(edited STREQUAL text)
  message(FATAL_ERROR "the Japanese welcome line to edit was not found")
endif()
wait_past_this_second()
file(WRITE "${app}/japanese.txt" "${edited}")
run("${CMAKE_COMMAND}" --build "${app_build}" --config Release)
timestamps(header_after "${gen}/notes_ja/utf16/textresouce.h" "${gen}/notes_ja/include/textresouce.h"
           "${gen}/notes_ja/include/textresouce_layout.h" "${gen}/notes_ja/layout/textresouce_layout.cpp"
           "${gen}/notes_en/utf16/textresouce.cpp" "${host}")
timestamps(source_after "${gen}/notes_ja/utf16/textresouce.cpp")
if(source_before STREQUAL source_after)
  message(FATAL_ERROR "editing japanese.txt did not regenerate its source")
endif()
if(NOT header_before STREQUAL header_after)
  message(FATAL_ERROR "a new text alone rewrote a header, the layout stamp, the English source or the host: "
                      "${header_before} -> ${header_after}")
endif()
run_host(ENV LANG=en_US ARGS ja)
expect_in_order("${output}"
  "Message.Info.Welcome   Welcome back, Yoshida!\n"
  "Message.Info.Welcome   ようこそ、𠮷田さん。\n")

# 3. Layouts that differ.
set(bad_build "${WORK}/mismatch-build")
set(bad "${SOURCE_DIR}/tests/package/mismatch")
run("${CMAKE_COMMAND}" -S "${bad}" -B "${bad_build}" ${configure_args})
expect_build_failure("${bad_build}" "libraries with different layouts were built"
  "textresgen: texts_ja and texts_en do not declare the same TextResource layout "
  "(${bad}/japanese.txt vs ${bad}/english.txt)"
  "textresgen: texts_ja has 3 members, texts_en 4; texts_ja ends after member 3; texts_en goes on with Menu.Save")

# 4. The checker before generation.
set(checked_build "${WORK}/checked-build")
set(checked "${SOURCE_DIR}/tests/package/checked")
run("${CMAKE_COMMAND}" -S "${checked}" -B "${checked_build}" ${configure_args})
expect_build_failure("${checked_build}" "a definition with a keyword as a name was built despite CHECK"
  "${checked}/texts.txt:2: error: entry 'delete' in 'Menu.delete' is a C++ keyword"
  "textrescheck rejects ${checked}/texts.txt")

# 5. A PO file as a language.
set(exchange_build "${WORK}/exchange-build")
set(exchange "${SOURCE_DIR}/tests/package/exchange")
run("${CMAKE_COMMAND}" -S "${exchange}" -B "${exchange_build}" ${configure_args})
run("${CMAKE_COMMAND}" --build "${exchange_build}" --config Release)
file(READ "${exchange_build}/textresgen/texts_ja/include/textresouce.h" ja_header)
file(READ "${exchange_build}/textresgen/texts_en/include/textresouce.h" en_header)
file(READ "${exchange_build}/textresgen/texts_ja/utf16/textresouce.cpp" ja_source HEX)
if(NOT ja_header STREQUAL en_header OR NOT ja_source MATCHES "8b954f30")  # 開く in UTF-16LE
  message(FATAL_ERROR "the PO file's library does not hold its translation with the base's layout")
endif()
file(READ "${exchange_build}/textresgen/texts_stale/include/textresouce.h" stale_header)
file(READ "${exchange_build}/textresgen/texts_stale/utf16/textresouce.cpp" stale_source HEX)
if(NOT stale_header STREQUAL en_header OR stale_source MATCHES "25006c007500")  # %lu in UTF-16LE
  message(FATAL_ERROR "the stale PO file's library lacks the base's layout or holds its stale %lu")
endif()
run("${CMAKE_COMMAND}" -S "${exchange}" -B "${exchange_build}" -DBAD=ON)
expect_build_failure("${exchange_build}" "a PO file with a placeholder mismatch was built"
  "${exchange}/bad.po:10: error: 'Greeting': the translation takes argument 1 as int, the base text as char*")

# 6. The layout stamp.
set(stamp_build "${WORK}/stamp-build")
run("${CMAKE_COMMAND}" -S "${SOURCE_DIR}/tests/package/stamp" -B "${stamp_build}" ${configure_args})
run("${CMAKE_COMMAND}" --build "${stamp_build}" --config Release)
file(STRINGS "${stamp_build}/run-Release.txt" command)
list(POP_BACK command catalog)
if(NOT catalog STREQUAL "stamp ja")
  message(FATAL_ERROR "stamp_ja, SAME_LAYOUT_AS a library of CATALOG stamp declared after it, "
                      "has catalog and language '${catalog}'")
endif()
list(GET command 1 english)
list(GET command 2 japanese)
list(GET command 3 french)
run(${command})
if(NOT output MATCHES "^compiled with (textresgen-layout-1:[0-9a-f]+)\n")
  message(FATAL_ERROR "the host's textresouce_layout.h gives no fingerprint:\n${output}")
endif()
set(own "${CMAKE_MATCH_1}")
string(LENGTH "${own}" length)
if(NOT length EQUAL 36)
  message(FATAL_ERROR "a fingerprint of ${length} characters: ${own}")
endif()
expect_in_order("${output}"
  "${english}: ${own} same\n"
  "${japanese}: ${own} same\n"
  "${french}: textresgen-layout-1:" " different\n")
message(STATUS "consumer through find_package with ${CXX}: all checks passed")
