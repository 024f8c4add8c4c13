# Cross-compiles for 64-bit Windows with MinGW-w64 from a Linux (or other
# Unix) host. Programs are linked statically, so the .exe and .dll files run
# on Windows, or under Wine, without the MinGW runtime DLLs beside them.
# When Wine is installed, it becomes the emulator that runs the built
# programs (tests, test discovery, generation steps) on the host.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TEXTRESGEN_MINGW_PREFIX x86_64-w64-mingw32 CACHE STRING "Tool prefix of the MinGW-w64 cross compiler")
# The POSIX thread model where the distribution offers a choice (Debian and
# Ubuntu default to the win32 one, whose C++ library has no std::mutex, which
# GoogleTest needs).
find_program(CMAKE_C_COMPILER NAMES ${TEXTRESGEN_MINGW_PREFIX}-gcc-posix ${TEXTRESGEN_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TEXTRESGEN_MINGW_PREFIX}-g++-posix ${TEXTRESGEN_MINGW_PREFIX}-g++ REQUIRED)
set(CMAKE_RC_COMPILER ${TEXTRESGEN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TEXTRESGEN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)

# The Wine prefix lives in the build tree, so a build never touches ~/.wine
# and a fresh build starts from a fresh prefix.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR AND NOT CMAKE_HOST_WIN32)
  find_program(TEXTRESGEN_WINE wine)
  if(TEXTRESGEN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;${CMAKE_BINARY_DIR}/wineprefix")
  endif()
endif()
