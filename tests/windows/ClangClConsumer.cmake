# Builds tests/windows/clang_cl_consumer (cmake -P, at build time of the
# Windows tests): installs this build into PREFIX, configures the consumer
# with the clang-cl toolchain file and builds it. Quiet unless a step fails.
# Inputs: BUILD_DIR, PREFIX, SOURCE, BINARY, TOOLCHAIN, EMULATOR ("|"-separated),
# DEFINITION, GENERATOR.
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/../RunCommand.cmake")

file(REMOVE_RECURSE "${PREFIX}" "${BINARY}")
run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}")
# The emulator is a list: it goes in through an initial cache, where its
# semicolons survive.
string(REPLACE "|" ";" emulator "${EMULATOR}")
file(WRITE "${BINARY}-init.cmake" "set(CMAKE_CROSSCOMPILING_EMULATOR [[${emulator}]] CACHE STRING \"\")\n")
# The toolchain file without its own flags for a DLL with no C run-time
# (/noentry /nodefaultlib /GS-): the language library must get them from
# textresgen_add_library, as it does under MSVC, or lld-link finds no entry
# point and no libcmt.lib.
file(WRITE "${BINARY}-toolchain.cmake"
  "include([[${TOOLCHAIN}]])\n"
  "set(CMAKE_C_FLAGS_INIT \"\")\nset(CMAKE_CXX_FLAGS_INIT \"\")\n"
  "set(CMAKE_SHARED_LINKER_FLAGS_INIT /manifest:no)\nset(CMAKE_MODULE_LINKER_FLAGS_INIT /manifest:no)\n")
run("${CMAKE_COMMAND}" -S "${SOURCE}" -B "${BINARY}" -G "${GENERATOR}" -C "${BINARY}-init.cmake"
    -DCMAKE_BUILD_TYPE=Release "-DCMAKE_TOOLCHAIN_FILE=${BINARY}-toolchain.cmake" "-DCMAKE_PREFIX_PATH=${PREFIX}"
    "-DCLIENT_DEFINITION=${DEFINITION}")
run("${CMAKE_COMMAND}" --build "${BINARY}")
