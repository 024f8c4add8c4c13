# textresgen_add_library(<target> <definition-file> [SAME_LAYOUT_AS <other-target>]
#                        [LANGUAGE <tag>] [CATALOG <name>] [CHECK|NO_CHECK])
#
# Builds the SHARED library <target> from the text resources that textresgen
# generates from <definition-file>. <target> gets an INTERFACE include
# directory holding "textresouce.h" in UTF-8, so host code includes the
# TextResource structure with no special compiler flags, and beside it
# "textresouce_layout.h", the fingerprint of that structure's layout
# (textresgen-layout). The library exports TextResGenLayout(), which returns
# the same fingerprint, so that the run-time Catalog refuses a library whose
# members would not sit where the application expects them.
#
# Every plural message (a group without subgroups whose members are all
# named after CLDR's plural categories, `other` among them) is first
# completed to the six categories from its `other` (textresgen-plurals), so
# languages that write different forms still get one layout.
#
# The generated files are rewritten only when their content changes, so a
# rebuild that does not change the definition recompiles nothing, and a change
# that leaves the structure alone recompiles no host code.
#
# SAME_LAYOUT_AS <other-target>: the build fails unless both libraries declare
# the same TextResource structure, that is, have the same layout fingerprint,
# the one the run-time Catalog checks. An application that loads either
# library at run time then reads every member at the same place.
#
# LANGUAGE <tag>: the library is one language of a catalog, named as the
# run-time Catalog looks for it: <catalog>_<tag> with no "lib" prefix, e.g.
# notes_ja.so or notes_ja.dll, in TEXTRESGEN_LANGUAGE_FOLDER (by default the
# folder "languages" of the top of the build tree), the same for every
# configuration. <tag> is a BCP 47 language tag, as the run-time library
# takes it ("en", "ja", "pt-BR", "zh-Hant", "sr-Latn-RS"; not gettext's
# "pt_BR").
#
# CATALOG <name>: the catalog's name; by default that of the SAME_LAYOUT_AS
# or BASE target, else <target> itself.
#
# CHECK (the default when TextResGen::textrescheck exists): textrescheck
# reads the definition file before each generation, with SAME_LAYOUT_AS
# compared with the other library's definition as `textrescheck OTHER FILE`
# does (printf directives, {n}, plural forms), and the build fails, with its
# FILE:LINE findings, when it reports an error. Without textrescheck (a
# TEXTRESGEN_GENERATOR_ONLY build) the default is off, with a note once;
# CHECK then fails. NO_CHECK: no textrescheck. With the check, a
# SAME_LAYOUT_AS definition file is built with the other's members
# (textresl10n import --base): a name it lacks takes the other's text, a
# name the other lacks is left out, each with a warning; so adding a base
# text leaves every language building. Without the check a member missing
# or extra fails the layout comparison.
#
# EMBED_IN <app-target> (needs LANGUAGE): the texts of <target> are also
# built into the application <app-target>, as its base: the run-time Catalog
# shows them when no library of the folder can be loaded (see
# _textresgen_embed_base below).
#
# textresgen_add_library(<target> <file.po|.pot|.xlf|.xliff>
#                        BASE <base-target>|<base-definition-file>
#                        [LANGUAGE <tag>] [CATALOG <name>] [CHECK|NO_CHECK]):
# a translators' file is imported (textresl10n import --base) at build time
# against the base's current definition file and built like a definition
# file: the library has exactly the base's members, and a unit that is
# missing, untranslated, fuzzy, stale or takes other arguments than the
# base's text gets the base's text, with a warning. A <base-target> implies
# SAME_LAYOUT_AS <base-target>. An error within the file (a placeholder
# mismatch with its own source, a key that is no name) fails the build with
# the file's line.
#
# Needs the executables TextResGen::textresgen, TextResGen::textresgen-utf8,
# TextResGen::textresgen-layout and TextResGen::textresgen-plurals, from
# find_package(TextResGen) or from this project's own build.
include_guard(GLOBAL)

# The version resource of language DLLs needs the resource compiler, which
# CMake enables by itself for MSVC-style compilers but not for MinGW.
if(WIN32 AND NOT CMAKE_RC_COMPILER_LOADED)
  include(CheckLanguage)
  check_language(RC)
  if(CMAKE_RC_COMPILER)
    enable_language(RC)
  endif()
endif()

set(TEXTRESGEN_LANGUAGE_FOLDER "${CMAKE_BINARY_DIR}/languages" CACHE PATH
    "Folder of the language libraries that textresgen_add_library builds with LANGUAGE")

function(textresgen_add_library target definition)
  cmake_parse_arguments(PARSE_ARGV 2 arg "CHECK;NO_CHECK" "SAME_LAYOUT_AS;BASE;LANGUAGE;CATALOG;EMBED_IN" "")
  if(arg_UNPARSED_ARGUMENTS OR arg_KEYWORDS_MISSING_VALUES)
    message(FATAL_ERROR "textresgen_add_library(${target} ${definition}): unexpected arguments "
                        "'${arg_UNPARSED_ARGUMENTS}${arg_KEYWORDS_MISSING_VALUES}'; "
                        "usage: textresgen_add_library(<target> <definition-file> [SAME_LAYOUT_AS <other-target>] "
                        "[LANGUAGE <tag>] [CATALOG <name>] [CHECK|NO_CHECK] [EMBED_IN <app-target>]) "
                        "or textresgen_add_library(<target> <file.po|.pot|.xlf|.xliff> BASE <base-target>|<base-file> "
                        "[LANGUAGE <tag>] [CATALOG <name>] [CHECK|NO_CHECK])")
  endif()
  # A ';' would split the path into a list in every command line made from
  # it, so the build would look for files that do not exist.
  if(definition MATCHES ";")
    message(FATAL_ERROR "textresgen_add_library(${target}): the definition path '${definition}' holds a ';', "
                        "which CMake cannot pass to the build as one path; rename the file or its folder")
  endif()
  # An empty value leaves the variable undefined: still a value to refuse.
  foreach(keyword IN ITEMS LANGUAGE CATALOG)
    if(NOT DEFINED arg_${keyword} AND keyword IN_LIST ARGN)
      set(arg_${keyword} "")
    endif()
  endforeach()
  if(DEFINED arg_LANGUAGE)
    _textresgen_check_language_tag("${target}" "${arg_LANGUAGE}")
  endif()
  if(DEFINED arg_CATALOG AND NOT arg_CATALOG MATCHES "^[A-Za-z0-9_-]+$")
    message(FATAL_ERROR "textresgen_add_library(${target}): CATALOG '${arg_CATALOG}' is not a catalog name; "
                        "use letters, digits, '_' and '-' only (it becomes part of a file name)")
  endif()
  set(tools TextResGen::textresgen TextResGen::textresgen-utf8 TextResGen::textresgen-layout
            TextResGen::textresgen-plurals)
  _textresgen_choose_checker("${target}" checker)
  if(checker)
    list(APPEND tools TextResGen::textrescheck)
  endif()
  foreach(tool IN LISTS tools)
    if(NOT TARGET ${tool})
      message(FATAL_ERROR "textresgen_add_library: ${tool} is not defined; "
                          "use find_package(TextResGen) or add_subdirectory() of textresgen first")
    endif()
  endforeach()

  cmake_path(ABSOLUTE_PATH definition BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE)
  if(NOT EXISTS "${definition}" OR IS_DIRECTORY "${definition}")
    message(FATAL_ERROR "textresgen_add_library(${target}): no definition file ${definition}")
  endif()
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/textresgen/${target}")
  _textresgen_import_exchange_file()
  set(utf16_source "${dir}/utf16/textresouce.cpp")
  set(utf16_header "${dir}/utf16/textresouce.h")
  set(utf8_source "${dir}/utf8/textresouce.cpp")
  set(utf8_header "${dir}/include/textresouce.h")
  set(layout_header "${dir}/include/textresouce_layout.h")
  set(messages_header "${dir}/include/textresouce_messages.h")
  set(layout_source "${dir}/layout/textresouce_layout.cpp")
  set(stamp "${dir}/generated.stamp")
  file(MAKE_DIRECTORY "${dir}/utf16" "${dir}/utf8" "${dir}/include" "${dir}/layout")

  # GCC (MinGW too) reads UTF-16LE with -finput-charset; -ffreestanding keeps
  # it from pre-including <stdc-predef.h>, which it would read as UTF-16LE as
  # well. It only turns off hosted-library assumptions, which code that
  # assigns string literals never needs. MSVC reads UTF-16 with a mark by
  # itself. Clang and the rest read only UTF-8: give them the converted copy.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(library_source "${utf16_source}")
    set(source_options -ffreestanding -finput-charset=UTF-16LE)
    set(convert_source OFF)
  elseif(CMAKE_CXX_COMPILER_ID STREQUAL "MSVC")
    set(library_source "${utf16_source}")
    set(source_options "")
    set(convert_source OFF)
  else()
    set(library_source "${utf8_source}")
    set(source_options "")
    set(convert_source ON)
  endif()

  # The generator runs as a target of this build when it is built here; a
  # cross build then runs it through the emulator. An installed one runs as
  # is, unless it was built for another system than the build host's (the
  # Windows package on Linux): then it takes the emulator too.
  set(emulator "")
  get_target_property(generator_imported TextResGen::textresgen IMPORTED)
  if(generator_imported)
    get_target_property(tools_system TextResGen::textresgen TEXTRESGEN_SYSTEM)
    if(tools_system AND NOT tools_system STREQUAL CMAKE_HOST_SYSTEM_NAME
       AND NOT (tools_system STREQUAL "Windows" AND CMAKE_HOST_SYSTEM_NAME MATCHES "^(CYGWIN|MSYS)"))
      if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
        message(FATAL_ERROR "textresgen_add_library(${target}): the textresgen found is built for "
                            "${tools_system} and cannot run on this ${CMAKE_HOST_SYSTEM_NAME} host; install "
                            "textresgen for ${CMAKE_HOST_SYSTEM_NAME}, or set CMAKE_CROSSCOMPILING_EMULATOR "
                            "to a program that runs ${tools_system} programs (Wine for Windows)")
      endif()
      string(REPLACE ";" "|" emulator "${CMAKE_CROSSCOMPILING_EMULATOR}")
    endif()
  elseif(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR)
    string(REPLACE ";" "|" emulator "${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()

  # The checker compares the file with the SAME_LAYOUT_AS library's
  # definition; a definition file (not a PO or XLIFF file, imported already)
  # then takes the base's members through textresl10n import --base, the
  # rule of the PO path: a name it lacks gets the base text, one the base
  # lacks is left out, each with a warning.
  set(check_base "")
  set(importer "")
  if(checker AND arg_SAME_LAYOUT_AS)
    set(check_base "$<TARGET_PROPERTY:${arg_SAME_LAYOUT_AS},TEXTRESGEN_DEFINITION>")
    if(TARGET TextResGen::textresl10n AND NOT _textresgen_exchange)
      set(importer "$<TARGET_FILE:TextResGen::textresl10n>")
      list(APPEND tools TextResGen::textresl10n)
    endif()
  endif()

  set(byproducts "${utf16_source}" "${utf16_header}" "${utf8_header}" "${layout_header}" "${layout_source}"
                 "${messages_header}")
  if(convert_source)
    list(APPEND byproducts "${utf8_source}")
  endif()
  add_custom_command(
    OUTPUT "${stamp}"
    BYPRODUCTS ${byproducts}
    COMMAND "${CMAKE_COMMAND}"
            "-DGENERATOR=$<TARGET_FILE:TextResGen::textresgen>"
            "-DCONVERTER=$<TARGET_FILE:TextResGen::textresgen-utf8>"
            "-DLAYOUT_TOOL=$<TARGET_FILE:TextResGen::textresgen-layout>"
            "-DPLURALS_TOOL=$<TARGET_FILE:TextResGen::textresgen-plurals>"
            "-DCHECKER=${checker}"
            "-DCHECK_BASE=${check_base}"
            "-DIMPORTER=${importer}"
            "-DEMULATOR=${emulator}"
            "-DDEFINITION=${definition}"
            "-DDIR=${dir}"
            "-DCONVERT_SOURCE=${convert_source}"
            "-DSTAMP=${stamp}"
            -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/TextResGenGenerate.cmake"
    DEPENDS "${definition}" ${check_base} ${tools}
            "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/TextResGenGenerate.cmake"
    COMMENT "textresgen: generating ${target} from ${definition}"
    VERBATIM)
  set(generate_outputs "${stamp}")

  if(arg_SAME_LAYOUT_AS)
    set(other "${arg_SAME_LAYOUT_AS}")
    set(layout_stamp "${dir}/same-layout.stamp")
    set(other_header "$<TARGET_PROPERTY:${other},TEXTRESGEN_LAYOUT_HEADER>")
    set(other_fingerprint "$<TARGET_PROPERTY:${other},TEXTRESGEN_LAYOUT_FINGERPRINT>")
    # Same layout means the same fingerprint from textresgen-layout; the
    # headers only name the members in the message when they differ.
    add_custom_command(
      OUTPUT "${layout_stamp}"
      COMMAND "${CMAKE_COMMAND}"
              "-DTARGET=${target}" "-DOTHER=${other}"
              "-DHEADER=${utf16_header}" "-DOTHER_HEADER=${other_header}"
              "-DFINGERPRINT=${layout_header}" "-DOTHER_FINGERPRINT=${other_fingerprint}"
              "-DDEFINITION=${definition}"
              "-DOTHER_DEFINITION=$<TARGET_PROPERTY:${other},TEXTRESGEN_DEFINITION>"
              "-DSTAMP=${layout_stamp}"
              -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/TextResGenSameLayout.cmake"
      DEPENDS "${stamp}" "${other_header}" "${other_fingerprint}"
              "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/TextResGenSameLayout.cmake"
      COMMENT "textresgen: checking that ${target} has the layout of ${other}"
      VERBATIM)
    list(APPEND generate_outputs "${layout_stamp}")
    # The other library may be declared later; check it once everything is.
    # (A deferred call reads variables when it runs: pass the values now.)
    cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]]
                   CALL _textresgen_check_layout_peer [[${target}]] [[${other}]])")
  endif()

  add_custom_target(textresgen_generate_${target} DEPENDS ${generate_outputs})
  # A generated file deleted from the build tree must come back. Ninja reruns
  # a command whose byproduct is missing, but Makefiles know byproducts only
  # for cleaning: there the stamp would stay newer than the definition and
  # nothing would regenerate the file. So before every build of the target a
  # quick step removes the stamp when any generated file is missing.
  string(REPLACE ";" "|" heal_files "${byproducts}")
  add_custom_target(textresgen_heal_${target}
    COMMAND "${CMAKE_COMMAND}" "-DHEAL_STAMP=${stamp}" "-DHEAL_FILES=${heal_files}"
            -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/TextResGenGenerate.cmake"
    VERBATIM)
  add_dependencies(textresgen_generate_${target} textresgen_heal_${target})
  if(arg_SAME_LAYOUT_AS)
    add_dependencies(textresgen_generate_${target} textresgen_generate_${arg_SAME_LAYOUT_AS})
  endif()

  # The layout stamp is ASCII: it needs none of the options of the UTF-16 source.
  add_library(${target} SHARED "${library_source}" "${layout_source}")
  add_dependencies(${target} textresgen_generate_${target})
  # The generated source is one function assigning every text: optimising it
  # gains nothing at run time and costs minutes (g++ -O2 takes about 30 times
  # as long as -O0 on 20,000 entries, see bench/README.md). So it is compiled
  # without optimisation in every configuration. A source file's options come
  # after the configuration's flags on the command line, so this one wins.
  # /Od goes with the /RTC1 of MSVC's Debug flags, unlike /O1 and /O2.
  if(MSVC OR CMAKE_CXX_COMPILER_FRONTEND_VARIANT STREQUAL "MSVC")
    list(APPEND source_options /Od)
  elseif(CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang|AppleClang|IntelLLVM)$")
    list(APPEND source_options -O0)
  endif()
  if(source_options)
    set_source_files_properties("${library_source}" PROPERTIES COMPILE_OPTIONS "${source_options}")
  endif()
  _textresgen_windows_library("${target}" "${arg_LANGUAGE}")
  # The generated sources mark InitString and TextResGenLayout with
  # __declspec(dllexport), which Windows compilers know; ELF and Mach-O
  # export them by default visibility.
  if(NOT WIN32 AND NOT CYGWIN)
    # An option, not a definition: CMake drops function-style definitions.
    target_compile_options(${target} PRIVATE
      "-D__declspec(x)=__attribute__((visibility(\"default\")))")
  endif()
  target_include_directories(${target} PRIVATE "${dir}/include")
  target_include_directories(${target} INTERFACE "$<BUILD_INTERFACE:${dir}/include>")
  set_target_properties(${target} PROPERTIES
    TEXTRESGEN_LAYOUT_HEADER "${utf16_header}"
    TEXTRESGEN_LAYOUT_FINGERPRINT "${layout_header}"
    TEXTRESGEN_DEFINITION "${definition}"
    TEXTRESGEN_SAME_LAYOUT_AS "${arg_SAME_LAYOUT_AS}")
  if(DEFINED arg_CATALOG)
    set_target_properties(${target} PROPERTIES TEXTRESGEN_CATALOG "${arg_CATALOG}")
  endif()
  if(DEFINED arg_LANGUAGE)
    # One folder for every configuration: "$<1:...>" keeps multi-config
    # generators from appending one of their own. RUNTIME for DLLs.
    set(folder "${TEXTRESGEN_LANGUAGE_FOLDER}")
    cmake_path(ABSOLUTE_PATH folder BASE_DIRECTORY "${CMAKE_BINARY_DIR}" NORMALIZE)
    set_target_properties(${target} PROPERTIES
      TEXTRESGEN_LANGUAGE "${arg_LANGUAGE}"
      PREFIX ""
      LIBRARY_OUTPUT_DIRECTORY "$<1:${folder}>"
      RUNTIME_OUTPUT_DIRECTORY "$<1:${folder}>")
  endif()
  # The catalog of a library whose SAME_LAYOUT_AS target is declared later
  # is known only once that one is: the deferred peer check names it then.
  _textresgen_name_library("${target}")
  if(DEFINED arg_EMBED_IN)
    _textresgen_embed_base("${target}" "${arg_EMBED_IN}" "${arg_LANGUAGE}" "${library_source}" "${dir}"
                           "${source_options}")
  endif()
endfunction()

# EMBED_IN: builds the base library's texts into the application `app` too,
# so that it shows them when no language library can be loaded. The app
# compiles the library's own generated source (with the same options: GCC's
# UTF-16LE reading, the UTF-8 copy for Clang, no optimisation), its
# InitString renamed by a definition on that source in that target only, not
# exported; and a small generated ASCII source that registers it with the
# run-time library under the layout's fingerprint and the LANGUAGE tag. It
# also gets the include folder (textresouce.h, textresouce_layout.h), the
# generation before its compilation, and TextResGen::runtime. An
# application embeds one base.
function(_textresgen_embed_base target app tag source dir options)
  set(usage "textresgen_add_library(${target} ... EMBED_IN ${app})")
  if(app STREQUAL "")
    message(FATAL_ERROR "${usage}: EMBED_IN needs the application's target")
  endif()
  if(tag STREQUAL "")
    message(FATAL_ERROR "${usage}: EMBED_IN needs LANGUAGE <tag>, the language of the texts built in")
  endif()
  if(NOT TARGET "${app}")
    message(FATAL_ERROR "${usage}: there is no target ${app}; declare the application before its texts")
  endif()
  get_target_property(type "${app}" TYPE)
  get_target_property(imported "${app}" IMPORTED)
  if(imported OR type STREQUAL "INTERFACE_LIBRARY" OR type STREQUAL "UTILITY")
    message(FATAL_ERROR "${usage}: ${app} is no target that compiles sources")
  endif()
  get_target_property(embedded "${app}" TEXTRESGEN_EMBEDDED_BASE)
  if(embedded)
    message(FATAL_ERROR "${usage}: ${app} already embeds ${embedded}; an application embeds one base")
  endif()
  set_target_properties("${app}" PROPERTIES TEXTRESGEN_EMBEDDED_BASE "${target}")

  string(MAKE_C_IDENTIFIER "${target}" id)
  set(function "TextResGenEmbeddedInitString_${id}")
  set(registration "${dir}/embed/textresgen_embedded_base.cpp")
  file(CONFIGURE OUTPUT "${registration}" @ONLY CONTENT [=[
// Written by textresgen_add_library(@target@ ... EMBED_IN @app@): registers the
// texts of @target@, compiled into this application, as its base in "@tag@".
#include <textresgen/runtime.h>

#include "textresouce_layout.h"

extern "C" void @function@(TextResource& t);  // its InitString

namespace {

const void* EmbeddedTexts() {
    static const TextResource texts = [] {
        TextResource filled{};
        @function@(filled);
        return filled;
    }();
    return &texts;
}

[[maybe_unused]] const bool registered = textresgen::detail::RegisterEmbeddedBase(
    textresgen::LayoutOf<TextResource>::kFingerprint, "@tag@", &EmbeddedTexts);

}  // namespace
]=])

  # Source properties belong to a directory: set them where the app is, for
  # the app only, since the library compiles the same file. Where the app
  # shares the library's directory, the library's own options apply already.
  get_target_property(app_dir "${app}" SOURCE_DIR)
  set(for_app "$<STREQUAL:$<TARGET_PROPERTY:NAME>,${app}>")
  set(app_options "")
  if(NOT app_dir STREQUAL CMAKE_CURRENT_SOURCE_DIR)
    list(APPEND app_options ${options})
  endif()
  if(WIN32 OR CYGWIN)
    set(no_export "dllexport=noinline")   # __declspec(noinline): nothing exported from the app
  else()
    list(APPEND app_options "-D__declspec(x)=")  # an option: CMake drops function-style definitions
    set(no_export "")
  endif()
  set(app_definitions "InitString=${function}" ${no_export})
  set_property(SOURCE "${source}" "${registration}" TARGET_DIRECTORY "${app}" PROPERTY GENERATED TRUE)
  set_property(SOURCE "${source}" TARGET_DIRECTORY "${app}" APPEND PROPERTY COMPILE_OPTIONS
               "$<${for_app}:${app_options}>")
  set_property(SOURCE "${source}" TARGET_DIRECTORY "${app}" APPEND PROPERTY COMPILE_DEFINITIONS
               "$<${for_app}:${app_definitions}>")
  # Its options are its own: never merged into another source's unit.
  set_property(SOURCE "${source}" TARGET_DIRECTORY "${app}" PROPERTY SKIP_UNITY_BUILD_INCLUSION ON)
  set_property(SOURCE "${source}" TARGET_DIRECTORY "${app}" PROPERTY SKIP_PRECOMPILE_HEADERS ON)

  target_sources("${app}" PRIVATE "${source}" "${registration}")
  target_include_directories("${app}" PRIVATE "${dir}/include")
  target_link_libraries("${app}" PRIVATE TextResGen::runtime)
  add_dependencies("${app}" textresgen_generate_${target})
endfunction()

# Sets `result` to the checker textresgen_add_library runs before each
# generation ("$<TARGET_FILE:...>"), or to "" for none: CHECK requires
# textrescheck, NO_CHECK turns it off, and by default it runs when the
# build has it (a TEXTRESGEN_GENERATOR_ONLY build has not: a note, once).
# Reads the caller's arg_CHECK and arg_NO_CHECK.
function(_textresgen_choose_checker target result)
  set(${result} "" PARENT_SCOPE)
  if(arg_CHECK AND arg_NO_CHECK)
    message(FATAL_ERROR "textresgen_add_library(${target}): CHECK and NO_CHECK exclude each other")
  endif()
  if(arg_NO_CHECK)
    return()
  endif()
  if(NOT TARGET TextResGen::textrescheck)
    if(arg_CHECK)
      message(FATAL_ERROR "textresgen_add_library(${target}): CHECK needs TextResGen::textrescheck, which this "
                          "build does not have (TEXTRESGEN_GENERATOR_ONLY builds no textrescheck)")
    endif()
    get_property(noted GLOBAL PROPERTY _TEXTRESGEN_NO_CHECKER_NOTED)
    if(NOT noted)
      set_property(GLOBAL PROPERTY _TEXTRESGEN_NO_CHECKER_NOTED TRUE)
      message(STATUS "textresgen: textrescheck is not built here (TEXTRESGEN_GENERATOR_ONLY), so "
                     "textresgen_add_library checks no definition file and compares no translation with its "
                     "base; a mistake shows as a compiler error in the generated files")
    endif()
    return()
  endif()
  set(${result} "$<TARGET_FILE:TextResGen::textrescheck>" PARENT_SCOPE)
endfunction()

# Windows only: a language library of an MSVC-style compiler (MSVC,
# clang-cl) gets no entry point and no C run-time (/NOENTRY /NODEFAULTLIB,
# objects without stack cookies or default-library requests, /GS- /Zl): its
# code only assigns literals, so the Debug and Release libraries are the
# same and neither needs a run-time DLL. MSVC's Debug flags hold /RTC1,
# whose checks live in the run-time: there the library keeps it, with no
# entry point still. Every library gets a version resource
# (TextResGenVersion.rc.in): the project's version, and the language tag.
function(_textresgen_windows_library target tag)
  if(NOT WIN32)
    return()
  endif()
  if(MSVC OR CMAKE_CXX_COMPILER_FRONTEND_VARIANT STREQUAL "MSVC")
    set(no_crt "$<NOT:$<AND:$<CXX_COMPILER_ID:MSVC>,$<CONFIG:Debug>>>")
    target_link_options(${target} PRIVATE /NOENTRY "$<${no_crt}:/NODEFAULTLIB>")
    target_compile_options(${target} PRIVATE "$<${no_crt}:/GS-;/Zl>")
  endif()
  if(NOT CMAKE_RC_COMPILER_LOADED)
    return()
  endif()
  set(version "${PROJECT_VERSION}")
  if(NOT version)
    set(version 0)
  endif()
  string(REGEX MATCHALL "[0-9]+" numbers "${version}.0.0.0")
  list(SUBLIST numbers 0 4 numbers)
  list(JOIN numbers "," TEXTRESGEN_VERSION_NUMBERS)
  set(TEXTRESGEN_VERSION_TEXT "${version}")
  set(TEXTRESGEN_PRODUCT "${PROJECT_NAME}")
  set(TEXTRESGEN_FILE_TYPE 2)
  if(tag STREQUAL "")
    set(TEXTRESGEN_DESCRIPTION "${target}: texts")
  else()
    set(TEXTRESGEN_DESCRIPTION "${target}: texts in ${tag}")
  endif()
  set(TEXTRESGEN_LANGUAGE_TAG "${tag}")
  set(TEXTRESGEN_FILE_NAME "$<TARGET_FILE_NAME:${target}>")
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/textresgen/${target}")
  configure_file("${CMAKE_CURRENT_FUNCTION_LIST_DIR}/TextResGenVersion.rc.in" "${dir}/version.rc.in" @ONLY)
  file(GENERATE OUTPUT "${dir}/version.rc" INPUT "${dir}/version.rc.in")
  target_sources(${target} PRIVATE "${dir}/version.rc")
endfunction()

# Sets `result` to TRUE when `tag` is a well-formed BCP 47 language tag,
# else FALSE: the run-time library's rule (IsLanguageTag in
# include/textresgen/detail/language_tags.h), which finds a language library only by such a
# tag in its file name. tests/runtime/language_tags.txt holds the cases both
# are tested with. CMake's regular expressions know no {m,n} and at most
# nine groups, hence the spelled-out counts and the private use part apart.
function(_textresgen_is_language_tag tag result)
  set(a "[A-Za-z]")
  set(d "[0-9]")
  set(n "[A-Za-z0-9]")
  set(n1to8 "${n}${n}?${n}?${n}?${n}?${n}?${n}?${n}?")
  set(private_use "[xX](-${n1to8})+")
  # 2 or 3 letters and up to three extended language subtags, or 4 to 8 letters
  set(language "(${a}${a}${a}?(-${a}${a}${a}(-${a}${a}${a}(-${a}${a}${a})?)?)?|${a}${a}${a}${a}${a}?${a}?${a}?${a}?)")
  set(script "(-${a}${a}${a}${a})?")
  set(region "(-${a}${a}|-${d}${d}${d})?")
  set(variants "(-${n}${n}${n}${n}${n}${n}?${n}?${n}?|-${d}${n}${n}${n})*")
  set(extensions "(-[A-WYZa-wyz0-9](-${n}${n}${n}?${n}?${n}?${n}?${n}?${n}?)+)*")
  string(LENGTH "${tag}" length)
  set(rest "${tag}")
  if(NOT tag MATCHES "^${private_use}$")
    string(REGEX REPLACE "-${private_use}$" "" rest "${tag}")
  endif()
  if(length LESS_EQUAL 64 AND (tag MATCHES "^${private_use}$"
                               OR rest MATCHES "^${language}${script}${region}${variants}${extensions}$"))
    set(${result} TRUE PARENT_SCOPE)
  else()
    set(${result} FALSE PARENT_SCOPE)
  endif()
endfunction()

# Fails unless `tag` is a language tag. It becomes part of the library's
# file name, where the run-time library looks for it.
function(_textresgen_check_language_tag target tag)
  _textresgen_is_language_tag("${tag}" valid)
  if(NOT valid)
    message(FATAL_ERROR "textresgen_add_library(${target}): LANGUAGE '${tag}' is not a language tag; "
                        "use a BCP 47 tag, subtags of letters and digits joined by '-' (en, ja, pt-BR, "
                        "zh-Hant, sr-Latn-RS; not gettext's pt_BR or sr@latin)")
  endif()
endfunction()

# Sets TEXTRESGEN_CATALOG of `target` (its CATALOG, else the catalog of its
# SAME_LAYOUT_AS target, else its own name) and, with LANGUAGE, the file name
# <catalog>_<tag>. Does nothing yet while a SAME_LAYOUT_AS target on the way
# is still to be declared.
function(_textresgen_name_library target)
  set(at "${target}")
  set(seen "")
  while(TRUE)
    # Compared as strings: "no" (Norwegian) and "off" are names here, not false.
    get_target_property(catalog ${at} TEXTRESGEN_CATALOG)
    if(NOT catalog MATCHES "-NOTFOUND$")
      break()
    endif()
    get_target_property(other ${at} TEXTRESGEN_SAME_LAYOUT_AS)
    if(other STREQUAL "" OR other MATCHES "-NOTFOUND$" OR other IN_LIST seen)
      set(catalog "${at}")
      break()
    endif()
    if(NOT TARGET ${other})
      return()
    endif()
    list(APPEND seen "${at}")
    set(at "${other}")
  endwhile()
  set_target_properties(${target} PROPERTIES TEXTRESGEN_CATALOG "${catalog}")
  get_target_property(tag ${target} TEXTRESGEN_LANGUAGE)
  if(tag MATCHES "-NOTFOUND$")
    return()
  endif()
  set(name "${catalog}_${tag}")
  # Two libraries of one name would overwrite each other in the one folder
  # (file systems that ignore case too).
  string(TOLOWER "${name}" key)
  get_property(taken GLOBAL PROPERTY TEXTRESGEN_LANGUAGE_LIBRARIES)
  foreach(entry IN LISTS taken)
    if(entry MATCHES "^([^=]*)=(.*)$" AND CMAKE_MATCH_1 STREQUAL key AND NOT CMAKE_MATCH_2 STREQUAL target)
      message(FATAL_ERROR "textresgen_add_library(${target}): LANGUAGE ${tag} of catalog ${catalog} is "
                          "already built by ${CMAKE_MATCH_2}; both would be the library ${name}")
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY TEXTRESGEN_LANGUAGE_LIBRARIES "${key}=${target}")
  set_target_properties(${target} PROPERTIES OUTPUT_NAME "${name}")
endfunction()

function(_textresgen_check_layout_peer target other)
  set(usage "textresgen_add_library(${target} ... SAME_LAYOUT_AS ${other})")
  if(NOT TARGET ${other})
    message(FATAL_ERROR "${usage}: there is no target ${other}")
  endif()
  get_target_property(header ${other} TEXTRESGEN_LAYOUT_HEADER)
  if(NOT header)
    message(FATAL_ERROR "${usage}: ${other} was not made by textresgen_add_library")
  endif()
  get_target_property(catalog ${target} TEXTRESGEN_CATALOG)
  if(catalog MATCHES "-NOTFOUND$")
    _textresgen_name_library("${target}")
  endif()
endfunction()

# For textresgen_add_library: when `definition` is a PO or XLIFF file, adds
# the step that imports it against the base's definition file and makes
# `definition` the imported file, with SAME_LAYOUT_AS the BASE target if
# BASE is one. A macro: it sets the caller's variables.
macro(_textresgen_import_exchange_file)
  cmake_path(GET definition EXTENSION LAST_ONLY _textresgen_extension)
  string(TOLOWER "${_textresgen_extension}" _textresgen_extension)
  if(_textresgen_extension MATCHES "^\\.(po|pot|xlf|xliff)$")
    if(NOT arg_BASE)
      message(FATAL_ERROR "textresgen_add_library(${target} ${definition}): a PO or XLIFF file needs "
                          "BASE <base-target>, the library of the language it translates, or its definition file")
    endif()
    # BASE names a definition file when it is no target and such a file
    # exists; else a target, perhaps declared later.
    set(_textresgen_base_file "")
    if(NOT TARGET "${arg_BASE}")
      cmake_path(ABSOLUTE_PATH arg_BASE BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE
                 OUTPUT_VARIABLE _textresgen_base_path)
      if(EXISTS "${_textresgen_base_path}" AND NOT IS_DIRECTORY "${_textresgen_base_path}")
        set(_textresgen_base_file "${_textresgen_base_path}")
      endif()
    endif()
    if(_textresgen_base_file)
      set(_textresgen_base_definition "${_textresgen_base_file}")
    else()
      set(_textresgen_base_definition "$<TARGET_PROPERTY:${arg_BASE},TEXTRESGEN_DEFINITION>")
    endif()
    if(arg_SAME_LAYOUT_AS AND NOT _textresgen_base_file AND NOT arg_SAME_LAYOUT_AS STREQUAL arg_BASE)
      message(FATAL_ERROR "textresgen_add_library(${target}): SAME_LAYOUT_AS and BASE name different targets")
    endif()
    if(NOT TARGET TextResGen::textresl10n)
      message(FATAL_ERROR "textresgen_add_library(${target}): TextResGen::textresl10n is not defined")
    endif()
    set(_textresgen_l10n_emulator "")
    get_target_property(_textresgen_l10n_imported TextResGen::textresl10n IMPORTED)
    if(NOT _textresgen_l10n_imported AND CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR)
      set(_textresgen_l10n_emulator ${CMAKE_CROSSCOMPILING_EMULATOR})
    endif()
    set(_textresgen_exchange "${definition}")
    set(definition "${dir}/imported.txt")
    file(MAKE_DIRECTORY "${dir}")
    add_custom_command(
      OUTPUT "${definition}"
      COMMAND ${_textresgen_l10n_emulator} "$<TARGET_FILE:TextResGen::textresl10n>"
              import --base "${_textresgen_base_definition}" "${_textresgen_exchange}" -o "${definition}"
      DEPENDS "${_textresgen_exchange}" "${_textresgen_base_definition}" TextResGen::textresl10n
      COMMENT "textresl10n: importing ${_textresgen_exchange} for ${target}"
      VERBATIM)
    if(NOT _textresgen_base_file)
      set(arg_SAME_LAYOUT_AS "${arg_BASE}")
    endif()
  elseif(arg_BASE)
    message(FATAL_ERROR "textresgen_add_library(${target} ${definition}): BASE is for PO and XLIFF files; "
                        "a definition file takes SAME_LAYOUT_AS")
  endif()
endmacro()

# textresgen_use_texts(<app> <base-library>)
#
# The application's side in one call: <app> includes the base library's
# "textresouce.h" and "textresouce_layout.h", is compiled only after they are
# generated (every generator: Makefiles know no order but this one), and links
# TextResGen::runtime, which loads a language library at run time. <app>
# links no language library.
function(textresgen_use_texts app base)
  if(NOT ARGC EQUAL 2)
    message(FATAL_ERROR "textresgen_use_texts: usage: textresgen_use_texts(<app> <base-library>)")
  endif()
  foreach(target IN ITEMS "${app}" "${base}" TextResGen::runtime)
    if(NOT TARGET "${target}")
      message(FATAL_ERROR "textresgen_use_texts(${app} ${base}): there is no target ${target}")
    endif()
  endforeach()
  get_target_property(header "${base}" TEXTRESGEN_LAYOUT_HEADER)
  if(NOT header)
    message(FATAL_ERROR "textresgen_use_texts(${app} ${base}): ${base} was not made by textresgen_add_library")
  endif()
  target_include_directories("${app}" PRIVATE "$<TARGET_PROPERTY:${base},INTERFACE_INCLUDE_DIRECTORIES>")
  add_dependencies("${app}" "${base}")
  target_link_libraries("${app}" PRIVATE TextResGen::runtime)
endfunction()

# textresgen_install_languages(<library>... DESTINATION <dir>
#                              [PROGRAM <app> [PROGRAM_DESTINATION <bin-dir>]])
#
# Installs the language libraries (made with LANGUAGE) into <dir>, a folder
# relative to the install prefix: the FHS places are lib/<app>/languages and
# share/<app>/languages (/usr/lib/<app>/languages in a .deb).
#
# PROGRAM <app>: also installs <app> into <bin-dir> (by default
# CMAKE_INSTALL_BINDIR, else bin) and gives it the header
# "<app>_languages.h", whose <app>_languages::Folder() is the folder of the
# languages wherever <app> runs: the build tree's language folder when it
# runs where it was built, else FolderOfThisProgram() / the path from
# <bin-dir> to <dir> ("../lib/<app>/languages"). One call names both
# places, so the program and its installed languages never disagree.
# (Characters that are not letters, digits or '_' in <app> become '_' in
# the namespace's name.)
function(textresgen_install_languages)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "DESTINATION;PROGRAM;PROGRAM_DESTINATION" "")
  set(usage "usage: textresgen_install_languages(<library>... DESTINATION <dir> "
            "[PROGRAM <app> [PROGRAM_DESTINATION <bin-dir>]])")
  string(CONCAT usage ${usage})
  set(libraries ${arg_UNPARSED_ARGUMENTS})
  if(NOT libraries OR NOT arg_DESTINATION OR arg_KEYWORDS_MISSING_VALUES)
    message(FATAL_ERROR "textresgen_install_languages: ${usage}")
  endif()
  if(NOT arg_PROGRAM_DESTINATION)
    set(arg_PROGRAM_DESTINATION bin)
    if(CMAKE_INSTALL_BINDIR)
      set(arg_PROGRAM_DESTINATION "${CMAKE_INSTALL_BINDIR}")
    endif()
  endif()
  # Relative to the prefix, so that the path between the two holds wherever
  # the package is installed (CPack, DESTDIR, --prefix).
  foreach(folder IN ITEMS "${arg_DESTINATION}" "${arg_PROGRAM_DESTINATION}")
    if(IS_ABSOLUTE "${folder}")
      message(FATAL_ERROR "textresgen_install_languages: '${folder}' is absolute; give the folder "
                          "relative to the install prefix (lib/<app>/languages, share/<app>/languages)")
    endif()
  endforeach()
  foreach(library IN LISTS libraries)
    if(NOT TARGET "${library}")
      message(FATAL_ERROR "textresgen_install_languages: there is no target ${library}")
    endif()
    get_target_property(tag "${library}" TEXTRESGEN_LANGUAGE)
    if(tag MATCHES "-NOTFOUND$")
      message(FATAL_ERROR "textresgen_install_languages: ${library} is no language library "
                          "(textresgen_add_library(${library} ... LANGUAGE <tag>))")
    endif()
    # The library file alone: no import library, no links of a version.
    install(FILES "$<TARGET_FILE:${library}>" DESTINATION "${arg_DESTINATION}")
  endforeach()
  if(NOT arg_PROGRAM)
    return()
  endif()
  if(NOT TARGET "${arg_PROGRAM}")
    message(FATAL_ERROR "textresgen_install_languages: there is no target ${arg_PROGRAM}")
  endif()
  install(TARGETS "${arg_PROGRAM}" RUNTIME DESTINATION "${arg_PROGRAM_DESTINATION}")
  cmake_path(RELATIVE_PATH arg_DESTINATION BASE_DIRECTORY "${arg_PROGRAM_DESTINATION}"
             OUTPUT_VARIABLE installed)
  list(GET libraries 0 first)
  string(MAKE_C_IDENTIFIER "${arg_PROGRAM}_languages" namespace)
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/textresgen/${arg_PROGRAM}/$<CONFIG>")
  _textresgen_c_string(installed_literal "${installed}")
  _textresgen_c_string(program_literal "$<TARGET_FILE_DIR:${arg_PROGRAM}>")
  _textresgen_c_string(languages_literal "$<TARGET_FILE_DIR:${first}>")
  file(GENERATE OUTPUT "${dir}/${arg_PROGRAM}_languages.h" CONTENT
"// Made by textresgen_install_languages: where ${arg_PROGRAM} finds its language libraries.
#pragma once

#include <filesystem>
#include <system_error>

#include <textresgen/runtime.h>

namespace ${namespace} {

// The installed languages, relative to the installed program's folder: ${installed}
inline constexpr char kInstalled[] = ${installed_literal};

inline std::filesystem::path Utf8Path(const char* text) {
#if defined(__cpp_char8_t)
    return std::filesystem::path(reinterpret_cast<const char8_t*>(text));
#else
    return std::filesystem::u8path(text);
#endif
}

// The build tree's language folder when the program runs where it was built,
// else the installed one beside it.
inline std::filesystem::path Folder() {
    const std::filesystem::path program = textresgen::FolderOfThisProgram();
    std::error_code error;
    if (std::filesystem::equivalent(program, Utf8Path(${program_literal}), error)) {
        return Utf8Path(${languages_literal});
    }
    return (program / Utf8Path(kInstalled)).lexically_normal();
}

}  // namespace ${namespace}
")
  target_include_directories("${arg_PROGRAM}" PRIVATE "${dir}")
endfunction()

# Sets `out` to `text` as a C string literal of its UTF-8 bytes: letters,
# digits and "/._- " as they are, every other byte as \xNN closing its piece
# ("caf\xc3""\xa9"), so that every compiler reads the same bytes whatever
# its source character set. A generator expression (a path of the build tree,
# which CMake spells with '/') is only quoted: file(GENERATE) expands it later.
function(_textresgen_c_string out text)
  if(text MATCHES "^\\$<")
    set(${out} "\"${text}\"" PARENT_SCOPE)
    return()
  endif()
  set(literal "")
  string(LENGTH "${text}" length)
  set(at 0)
  while(at LESS length)
    string(SUBSTRING "${text}" ${at} 1 byte)
    if(byte MATCHES "^[A-Za-z0-9/._ -]$")
      string(APPEND literal "${byte}")
    else()
      string(HEX "${byte}" hex)
      string(APPEND literal "\\x${hex}\"\"")
    endif()
    math(EXPR at "${at} + 1")
  endwhile()
  set(${out} "\"${literal}\"" PARENT_SCOPE)
endfunction()
