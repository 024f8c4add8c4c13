# Cross-compiles text libraries (textresgen_add_library) for 64-bit Windows in
# the MSVC ABI with clang-cl and lld-link, on any host, without Visual Studio
# and without the Windows SDK.
#
# What it can build: DLLs that need no C runtime and no system library, such
# as the libraries of generated strings (they only assign string literals).
# Such a DLL has no entry point (/noentry) and links no default library
# (/nodefaultlib), and it is compiled without stack cookies (/GS-), which
# would need the C runtime. What it cannot build: executables, and any code
# that includes a standard or system header (<cstdio>, <string>,
# <windows.h>): those need the MSVC libraries and the Windows SDK, which this
# file does not set up. Host programs stay with the compiler that has them
# (MinGW-w64, or MSVC on Windows).
#
# The textresgen tools must run on the build host: install the package for
# the host, or take the Windows package and set CMAKE_CROSSCOMPILING_EMULATOR
# to Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

# The LLVM tools, unversioned or with a version suffix as Debian names them.
# (CMake enables the resource compiler for every Windows project, so it is
# needed even though no resource is compiled.)
foreach(tool IN ITEMS clang-cl lld-link llvm-lib llvm-rc)
  set(names ${tool})
  foreach(version RANGE 19 14 -1)
    list(APPEND names ${tool}-${version})
  endforeach()
  string(MAKE_C_IDENTIFIER "TEXTRESGEN_${tool}" variable)
  string(TOUPPER "${variable}" variable)
  find_program(${variable} NAMES ${names} REQUIRED)
endforeach()
set(CMAKE_C_COMPILER "${TEXTRESGEN_CLANG_CL}")
set(CMAKE_CXX_COMPILER "${TEXTRESGEN_CLANG_CL}")
set(CMAKE_C_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_LINKER "${TEXTRESGEN_LLD_LINK}")
set(CMAKE_AR "${TEXTRESGEN_LLVM_LIB}")
set(CMAKE_RC_COMPILER "${TEXTRESGEN_LLVM_RC}")

# CMake's compiler check links a test executable unless told to build a
# static library instead, and an executable needs the C runtime.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_C_FLAGS_INIT "/GS-")
set(CMAKE_CXX_FLAGS_INIT "/GS-")
# No kernel32.lib and the rest (they come with the SDK); no manifest (it
# needs mt, and a DLL without an entry point has no use for one).
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "Libraries linked into every C target")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "Libraries linked into every C++ target")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "/noentry /nodefaultlib /manifest:no")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "/noentry /nodefaultlib /manifest:no")
