# A build heals when a generated file is deleted: textresgen_add_library
# regenerates whatever is missing, with the given CMake generator (Makefiles
# and Ninja are both tested). Deletes each generated file of a library in
# turn, rebuilds, and expects success with the file back. (cmake -P)
# Inputs: SOURCE_DIR, BUILD_DIR (built textresgen), CONFIG, WORK (scratch
# folder), CXX (the consumer's compiler), GENERATOR.
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/../RunCommand.cmake")

file(REMOVE_RECURSE "${WORK}")
set(prefix "${WORK}/prefix")
run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --config "${CONFIG}" --prefix "${prefix}")

set(app "${WORK}/app")
set(build "${WORK}/build")
file(WRITE "${app}/CMakeLists.txt" "cmake_minimum_required(VERSION 3.25)
project(Heal LANGUAGES CXX)
find_package(TextResGen 1 REQUIRED)
textresgen_add_library(texts_en english.txt CHECK)
textresgen_add_library(texts_ja japanese.txt SAME_LAYOUT_AS texts_en)
add_executable(host host.cpp)
target_include_directories(host PRIVATE $<TARGET_PROPERTY:texts_en,INTERFACE_INCLUDE_DIRECTORIES>)
add_dependencies(host texts_en texts_ja)
")
file(COPY "${SOURCE_DIR}/examples/english.txt" "${SOURCE_DIR}/examples/japanese.txt" DESTINATION "${app}")
file(WRITE "${app}/host.cpp" "#include \"textresouce.h\"\nint main() { TextResource t{}; return sizeof t == 0; }\n")

run("${CMAKE_COMMAND}" -S "${app}" -B "${build}" -G "${GENERATOR}" "-DCMAKE_CXX_COMPILER=${CXX}"
    -DCMAKE_BUILD_TYPE=Release "-DCMAKE_PREFIX_PATH=${prefix}")
run("${CMAKE_COMMAND}" --build "${build}")
# A first build generates because nothing is there yet, not to heal.
if(output MATCHES "is missing; generating again")
  message(FATAL_ERROR "${GENERATOR}: the first build says a file is missing:\n${output}")
endif()

file(GLOB_RECURSE generated LIST_DIRECTORIES false RELATIVE "${build}"
     "${build}/textresgen/*/utf16/*" "${build}/textresgen/*/utf8/*" "${build}/textresgen/*/include/*"
     "${build}/textresgen/*/layout/*")
list(LENGTH generated count)
if(count LESS 10)
  message(FATAL_ERROR "expected at least 10 generated files, found: ${generated}")
endif()
foreach(file IN LISTS generated)
  file(REMOVE "${build}/${file}")
  execute_process(COMMAND "${CMAKE_COMMAND}" --build "${build}" RESULT_VARIABLE status OUTPUT_VARIABLE out
                  ERROR_VARIABLE out)
  if(NOT status EQUAL 0 OR NOT EXISTS "${build}/${file}")
    message(FATAL_ERROR "${GENERATOR}: the build did not heal after ${file} was deleted (status ${status}):\n${out}")
  endif()
  message(STATUS "${GENERATOR}: ${file} deleted, rebuilt, back")
endforeach()
