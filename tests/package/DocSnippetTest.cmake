# The CMake snippets of the documentation build as written (cmake -P): from
# README.md, docs/runtime.md and docs/cmake.md, the first ```cmake block that
# calls textresgen_use_texts, with the Makefiles generator in a clean folder,
# against an install of textresgen. A snippet without project() gets the two
# lines a project starts with; each definition file it names is the example's
# English one (a .po file, a header alone: every unit falls back to the base),
# and its program a main.cpp that loads Japanese from the languages folder.
# The program's target is built alone first: textresouce.h must be generated
# before it compiles, which the Makefiles learn from the snippet alone.
# Inputs: SOURCE_DIR, BUILD_DIR (built textresgen), CONFIG, WORK, CXX.
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/../RunCommand.cmake")

file(REMOVE_RECURSE "${WORK}")
set(prefix "${WORK}/prefix")
run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --config "${CONFIG}" --prefix "${prefix}")

foreach(doc IN ITEMS README.md docs/runtime.md docs/cmake.md)
  file(READ "${SOURCE_DIR}/${doc}" text)
  string(REGEX MATCHALL "```cmake\n[^`]*```" blocks "${text}")
  set(snippet "")
  foreach(block IN LISTS blocks)
    if(block MATCHES "textresgen_use_texts\\(([A-Za-z0-9_]+) " AND NOT snippet)
      set(app "${CMAKE_MATCH_1}")
      string(REGEX REPLACE "^```cmake\n|```$" "" snippet "${block}")
    endif()
  endforeach()
  if(NOT snippet)
    message(FATAL_ERROR "${doc}: no ```cmake block calls textresgen_use_texts")
  endif()
  if(NOT snippet MATCHES "CATALOG ([A-Za-z0-9_-]+)")
    message(FATAL_ERROR "${doc}: the snippet names no CATALOG:\n${snippet}")
  endif()
  set(catalog "${CMAKE_MATCH_1}")
  string(MAKE_C_IDENTIFIER "${doc}" id)
  set(project "${WORK}/${id}")
  if(NOT snippet MATCHES "project\\(")
    set(snippet "cmake_minimum_required(VERSION 3.25)\nproject(Snippet LANGUAGES CXX)\n${snippet}")
  endif()
  file(WRITE "${project}/CMakeLists.txt" "${snippet}")
  string(REGEX MATCHALL "[A-Za-z0-9_/.-]+\\.(txt|po)" files "${snippet}")
  foreach(file IN LISTS files)
    if(file MATCHES "\\.po$")
      file(WRITE "${project}/${file}" "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n")
    else()
      configure_file("${SOURCE_DIR}/examples/english.txt" "${project}/${file}" COPYONLY)
    endif()
  endforeach()
  file(WRITE "${project}/main.cpp" "#include <cstdio>
#include <textresgen/runtime.h>
#include \"textresouce.h\"
#include \"textresouce_layout.h\"
int main() {
    textresgen::Catalog<TextResource> catalog(textresgen::FolderOfThisProgram() / \"languages\", \"${catalog}\", \"en\");
    std::printf(\"%s\\n\", catalog.Load({\"ja\"})->Language().c_str());
}
")
  set(build "${project}-build")
  run("${CMAKE_COMMAND}" -S "${project}" -B "${build}" -G "Unix Makefiles" "-DCMAKE_CXX_COMPILER=${CXX}"
      "-DCMAKE_PREFIX_PATH=${prefix}")
  execute_process(COMMAND "${CMAKE_COMMAND}" --build "${build}" --target "${app}" -j2
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${doc}: the snippet's ${app} does not build on its own with Makefiles:\n"
                        "${snippet}\n${output}")
  endif()
  run("${CMAKE_COMMAND}" --build "${build}" -j2)
  run("${build}/${app}")
  if(NOT output STREQUAL "ja\n")
    message(FATAL_ERROR "${doc}: the snippet's ${app} loads '${output}', not ja")
  endif()
  message(STATUS "${doc}: the snippet builds with Makefiles and its ${app} loads ja")
endforeach()
