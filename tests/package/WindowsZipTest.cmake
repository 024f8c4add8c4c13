# The Windows release zip of a MinGW build (cmake -P): makes it with CPack,
# unpacks it, checks that its programs import no DLL but the system's (no
# MinGW runtime) and that each carries its manifest and a version resource of
# the package's version, runs textresgen.exe from it on the worked example and
# compares both outputs byte for byte with the golden files, and asks the
# other two programs for their version. Under EMULATOR (Wine) on other hosts.
# Inputs: SOURCE_DIR, BUILD_DIR, CONFIG, WORK, VERSION, EMULATOR ("|"-separated,
# may be empty), OBJDUMP.
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/../RunCommand.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/GoldenExample.cmake")

string(REPLACE "|" ";" emulator "${EMULATOR}")
file(REMOVE_RECURSE "${WORK}")
get_filename_component(cmake_bin "${CMAKE_COMMAND}" DIRECTORY)
run("${cmake_bin}/cpack" --config "${BUILD_DIR}/CPackConfig.cmake" -C "${CONFIG}" -B "${WORK}/packages")
set(name "textresgen-${VERSION}-windows-x86_64")
set(zip "${WORK}/packages/${name}.zip")
if(NOT EXISTS "${zip}")
  file(GLOB made "${WORK}/packages/*")
  message(FATAL_ERROR "no ${name}.zip; CPack made: ${made}")
endif()
file(MAKE_DIRECTORY "${WORK}/unpacked")
run("${CMAKE_COMMAND}" -E chdir "${WORK}/unpacked" "${CMAKE_COMMAND}" -E tar xf "${zip}")
set(bin "${WORK}/unpacked/${name}/bin")

set(toolchain "lib/cmake/TextResGen/toolchains/mingw-w64-x86_64.cmake")
foreach(file IN ITEMS lib/cmake/TextResGen/TextResGenConfig.cmake lib/cmake/TextResGen/TextResGenTargets.cmake
                      lib/cmake/TextResGen/TextResGenFunctions.cmake share/doc/textresgen/docs/install.md
                      "${toolchain}" lib/cmake/TextResGen/toolchains/clang-cl-x86_64.cmake
                      lib/cmake/TextResGen/toolchains/wine-run.sh)
  if(NOT EXISTS "${WORK}/unpacked/${name}/${file}")
    message(FATAL_ERROR "${zip} lacks ${file}")
  endif()
endforeach()

# Every program of the zip, checked alike.
set(programs textresgen textrescheck textresl10n textresgen-utf8 textresgen-layout textresgen-plurals)

# Only DLLs every Windows has: KERNEL32, msvcrt and the other system DLLs
# (shell32 for CommandLineToArgvW),
# no libstdc++-6, libgcc_s_seh-1 or libwinpthread-1.
foreach(program IN LISTS programs)
  run("${OBJDUMP}" -p "${bin}/${program}.exe")
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${output}")
  if(NOT imports)
    message(FATAL_ERROR "${program}.exe: no import table found in:\n${output}")
  endif()
  foreach(import IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${import}")
    string(TOLOWER "${dll}" dll)
    if(NOT dll MATCHES "^(kernel32|msvcrt|user32|advapi32|shell32|ws2_32|ntdll|api-ms-win-[a-z0-9-]+)\\.dll$")
      message(FATAL_ERROR "${program}.exe in ${zip} needs ${dll}, which Windows does not have")
    endif()
  endforeach()
endforeach()

# Each program's manifest declares long-path awareness.
foreach(program IN LISTS programs)
  file(STRINGS "${bin}/${program}.exe" aware REGEX "<longPathAware [^>]*>true</longPathAware>")
  if(NOT aware)
    message(FATAL_ERROR "${program}.exe in ${zip} has no manifest declaring longPathAware")
  endif()
endforeach()

# The UTF-16 strings of a version resource, in order: `key` must be
# followed by `value`. (Only strings of name characters: a '[' or ';' of
# other data would upset CMake's list.)
function(expect_version_value file key value)
  file(STRINGS "${file}" strings ENCODING UTF-16LE LENGTH_MINIMUM 2 REGEX "^[A-Za-z0-9_.-]+$")
  list(FIND strings "VS_VERSION_INFO" info)
  list(FIND strings "${key}" at)
  if(info EQUAL -1 OR at EQUAL -1)
    message(FATAL_ERROR "${file} has no version resource with ${key}")
  endif()
  math(EXPR at "${at} + 1")
  list(GET strings ${at} found)
  if(NOT found STREQUAL value)
    message(FATAL_ERROR "${file}: its version resource's ${key} is '${found}', not '${value}'")
  endif()
endfunction()
foreach(program IN LISTS programs)
  expect_version_value("${bin}/${program}.exe" FileVersion "${VERSION}")
endforeach()

expect_golden_example(${emulator} "${bin}/textresgen.exe")

foreach(program IN ITEMS textrescheck textresl10n textresgen-utf8 textresgen-layout textresgen-plurals)
  run(${emulator} "${bin}/${program}.exe" --version)
  string(REPLACE "\r\n" "\n" output "${output}")
  if(NOT output STREQUAL "${program} ${VERSION}\n")
    message(FATAL_ERROR "${program}.exe --version from ${zip} says '${output}'")
  endif()
endforeach()
# A project in a folder named in Japanese, with a space, as under
# C:\Users\<name>: the notes example built with the zip's package (its tools
# run under the emulator, given these paths on their command lines), one
# library also checked by textrescheck.exe; its host shows the Japanese texts.
set(project "${WORK}/田中 プロジェクト/notes")
file(COPY "${SOURCE_DIR}/examples/" DESTINATION "${project}")
file(APPEND "${project}/CMakeLists.txt"
  "textresgen_add_library(checked_ja japanese.txt LANGUAGE ja CATALOG checked CHECK)\n")
# The emulator (a list) reaches the project through an initial cache: run()
# would split it on the command line. Its Wine prefix is this build's.
file(WRITE "${WORK}/emulator.cmake" "set(CMAKE_CROSSCOMPILING_EMULATOR \"${emulator}\" CACHE STRING \"\")\n")
run("${CMAKE_COMMAND}" -S "${project}" -B "${project}/build" -DCMAKE_BUILD_TYPE=Release
    -C "${WORK}/emulator.cmake" "-DCMAKE_TOOLCHAIN_FILE=${WORK}/unpacked/${name}/${toolchain}"
    "-DTextResGen_DIR=${WORK}/unpacked/${name}/lib/cmake/TextResGen")
run("${CMAKE_COMMAND}" --build "${project}/build")
if(NOT EXISTS "${project}/build/languages/checked_ja.dll")
  message(FATAL_ERROR "the checked library was not built in ${project}/build/languages")
endif()
expect_version_value("${project}/build/languages/checked_ja.dll" LanguageTag ja)
run(${emulator} "${project}/build/notes_host.exe" ja)
if(NOT output MATCHES "\\[ja\\][^[]*App.Title +テキストリソース メモ帳[^[]*Status.Moved +Archive に 3 件のメモを移動しました")
  message(FATAL_ERROR "notes_host.exe built in ${project} printed:\n${output}")
endif()
message(STATUS "${zip}: static programs, the package, outputs equal to the golden files, "
               "a project under a Japanese folder name built and run")
