# The run-time library in the MSVC ABI: its installed headers (a DESTDIR
# install), with a translation unit that uses IsLanguageTag, Catalog,
# Format and PluralCategory, are compiled by clang-cl for
# x86_64-pc-windows-msvc, the Windows platform code included. This machine
# has no MSVC STL and no Windows SDK, so the standard library and
# <windows.h> are MinGW-w64's, read in GNU mode (_MSC_VER taken back,
# __GNUC__ given), and the compile is a syntax and type check (/Zs): it
# proves the headers are C++ that clang-cl accepts for the MSVC target,
# warnings at /W4 included; not that MSVC itself compiles them, nor the
# MSVC STL. Once as it is, once after the program's own <windows.h> (full,
# not lean), which the run-time library's lean one must not contradict.
# (MinGW's libstdc++ takes back windows.h's min and max macros, so the
# guard against them, "(std::min)(", is not proven here.)
# Inputs: BUILD_DIR, CONFIG, WORK, SOURCE, CLANG_CL, MINGW_CXX.
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/../RunCommand.cmake")

if(NOT CLANG_CL OR NOT MINGW_CXX)
  message(STATUS "clang-cl or MinGW-w64's g++ is not installed: skipped")
  return()
endif()
file(REMOVE_RECURSE "${WORK}")
install_into("${WORK}/root" "${BUILD_DIR}" "${CONFIG}")

# MinGW-w64's C++ and C header folders, as its g++ lists them.
execute_process(COMMAND "${MINGW_CXX}" -xc++ -E -v - INPUT_FILE /dev/null OUTPUT_QUIET ERROR_VARIABLE listing)
string(REGEX MATCH "search starts here:\n(.*)\nEnd of search list" found "${listing}")
string(REPLACE "\n" ";" folders "${CMAKE_MATCH_1}")
set(includes "")
foreach(folder IN LISTS folders)
  string(STRIP "${folder}" folder)
  if(folder MATCHES "/c\\+\\+(/|$)" OR folder MATCHES "mingw32/include$")
    list(APPEND includes "-imsvc${folder}")
  endif()
endforeach()
if(NOT includes)
  message(FATAL_ERROR "${MINGW_CXX} lists no header folders:\n${listing}")
endif()

foreach(variant IN ITEMS "" /DWINDOWS_FIRST)
  run("${CLANG_CL}" --target=x86_64-pc-windows-msvc /nologo /Zs /std:c++17 /EHsc /W4 /WX
      /U_MSC_VER /D__STRICT_ANSI__ /D__GNUC__=12 /D__GNUC_MINOR__=0 /D__GNUC_PATCHLEVEL__=0
      "/D__declspec(x)=__declspec(x)" /D__GCC_ATOMIC_TEST_AND_SET_TRUEVAL=1 ${variant}
      ${includes} "-I${WORK}/root/usr/include" -- "${SOURCE}")
endforeach()
message(STATUS "the installed run-time headers compile with clang-cl for x86_64-pc-windows-msvc")
