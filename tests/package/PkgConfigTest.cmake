# The Makefile of docs/install.md ("Without CMake"), as written there, builds
# an application and its languages with pkg-config against a DESTDIR install
# of textresgen, and the application loads each language (cmake -P). The
# run-time library is header-only, so pkg-config gives no archive, and the
# same application compiled with libstdc++'s old string ABI
# (-D_GLIBCXX_USE_CXX11_ABI=0), which no prebuilt archive of this build could
# serve, builds with pkg-config's flags alone and loads the same languages.
# Inputs: BUILD_DIR (built textresgen), CONFIG, WORK, MAKE (GNU make),
# PKG_CONFIG, CXX (the C++ compiler of the build).
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/../RunCommand.cmake")

file(REMOVE_RECURSE "${WORK}")
install_into("${WORK}/root" "${BUILD_DIR}" "${CONFIG}")

file(READ "${CMAKE_CURRENT_LIST_DIR}/../../docs/install.md" doc)
string(FIND "${doc}" "\n## Without CMake\n" at)
if(at GREATER -1)
  string(SUBSTRING "${doc}" ${at} -1 doc)
endif()
if(at EQUAL -1 OR NOT doc MATCHES "\n```make\n([^`]*)```")
  message(FATAL_ERROR "docs/install.md: no ```make block under '## Without CMake'")
endif()
set(app "${WORK}/app")
file(WRITE "${app}/Makefile" "${CMAKE_MATCH_1}")
file(COPY "${CMAKE_CURRENT_LIST_DIR}/installed/en.txt" "${CMAKE_CURRENT_LIST_DIR}/installed/ja.txt"
     DESTINATION "${app}")
file(WRITE "${app}/main.cpp" [[
#include <cstdio>
#include <textresgen/runtime.h>
#include "textresouce.h"
#include "textresouce_layout.h"
int main(int argc, char** argv) {
    textresgen::Catalog<TextResource> catalog(textresgen::FolderOfThisProgram() / "languages", "notes", "en");
    auto texts = catalog.Load({argc > 1 ? argv[1] : "en"});
    std::printf("%s %ls\n", texts->Language().c_str(), texts->Get().Title);
}
]])
set(ENV{PKG_CONFIG_PATH} "${WORK}/root/usr/lib/pkgconfig")
run("${MAKE}" -C "${app}" -j2)

# Only -I and the loader's library: a -l or a path of an archive would be a
# prebuilt run-time library, tied to the compiler and ABI that built it.
run("${PKG_CONFIG}" --cflags --libs textresgen-runtime)
string(STRIP "${output}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
foreach(flag IN LISTS flags)
  if(NOT flag MATCHES "^-I" AND NOT flag STREQUAL "-ldl")
    message(FATAL_ERROR "pkg-config --cflags --libs textresgen-runtime gives '${flag}': expected only -I and -ldl")
  endif()
endforeach()
run("${CXX}" -std=c++17 -D_GLIBCXX_USE_CXX11_ABI=0 "-I${app}/gen/en/include" "${app}/main.cpp"
    -o "${app}/notes-old-abi" ${flags})
# Proof that the old ABI was in force: its std::string is no std::__cxx11 one.
file(STRINGS "${app}/notes-old-abi" new_abi REGEX "__cxx11")
if(new_abi)
  message(FATAL_ERROR "notes-old-abi holds std::__cxx11 names: -D_GLIBCXX_USE_CXX11_ABI=0 did not take")
endif()

foreach(program IN ITEMS notes notes-old-abi)
  foreach(case IN ITEMS "ja|ja Memo" "en|en Notes" "fr|en Notes")
    string(REPLACE "|" ";" case "${case}")
    list(GET case 0 wanted)
    list(GET case 1 expected)
    run("${app}/${program}" ${wanted})
    if(NOT output STREQUAL "${expected}\n")
      message(FATAL_ERROR "${program} ${wanted}: expected '${expected}', got '${output}'")
    endif()
  endforeach()
endforeach()
message(STATUS "the Makefile of docs/install.md builds with pkg-config, and its notes loads ja and en; "
               "so does the same program in libstdc++'s old string ABI")
