# The Makefile of docs/install.md ("Without CMake"), as written there, builds
# an application and its languages with pkg-config against a DESTDIR install
# of textresgen, and the application loads each language (cmake -P).
# Inputs: BUILD_DIR (built textresgen), CONFIG, WORK, MAKE (GNU make; pkg-config on the PATH).
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/../RunCommand.cmake")

file(REMOVE_RECURSE "${WORK}")
set(ENV{DESTDIR} "${WORK}/root")
run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --config "${CONFIG}" --prefix /usr)
unset(ENV{DESTDIR})

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
run("${CMAKE_COMMAND}" -E env "PKG_CONFIG_PATH=${WORK}/root/usr/lib/pkgconfig"
    "${MAKE}" -C "${app}" -j2)
foreach(case IN ITEMS "ja|ja Memo" "en|en Notes" "fr|en Notes")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 wanted)
  list(GET case 1 expected)
  run("${app}/notes" ${wanted})
  if(NOT output STREQUAL "${expected}\n")
    message(FATAL_ERROR "notes ${wanted}, built by the Makefile: expected '${expected}', got '${output}'")
  endif()
endforeach()
message(STATUS "the Makefile of docs/install.md builds with pkg-config, and its notes loads ja and en")
