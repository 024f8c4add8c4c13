# Fails when a source file includes a header of a folder its layer may not
# use, or when a rule that has one home is written a second time. Run with
# -DSOURCE_DIR=<project root>. The arrows are read from the layer table of
# docs/architecture.md (its "may include" column), so the table and this
# test cannot disagree.
cmake_minimum_required(VERSION 3.25)

set(table "${SOURCE_DIR}/docs/architecture.md")
file(STRINGS "${table}" rows REGEX "^\\| `[a-z0-9_/]+/` \\| `textres[a-z0-9_]*` \\|")
set(layers "")
foreach(row IN LISTS rows)
  # A layer is a folder (lib/text); its headers are included by its last
  # part ("text/utf8_decoder.h").
  string(REGEX REPLACE "^\\| `([a-z0-9_/]+)/`.*" "\\1" path "${row}")
  string(REGEX REPLACE ".*/" "" layer "${path}")
  set(path_${layer} "${path}")
  string(REGEX REPLACE ".*\\| ([^|]*) \\|$" "\\1" mayInclude "${row}")
  string(REGEX MATCHALL "`[a-z0-9_]+/`" folders "${mayInclude}")
  list(TRANSFORM folders REPLACE "`([a-z0-9_]+)/`" "\\1")
  set(allowed_${layer} ${folders})
  list(APPEND layers ${layer})
endforeach()
foreach(expected IN ITEMS text definition charclass cli codec model emit driver runtime check l10n utf8 layout plurals)
  if(NOT expected IN_LIST layers OR NOT allowed_${expected})
    message(FATAL_ERROR "docs/architecture.md has no layer row for ${expected}/ with the folders it may include")
  endif()
endforeach()

set(violations "")
foreach(layer IN LISTS layers)
  file(GLOB any "${SOURCE_DIR}/${path_${layer}}/*.cpp" "${SOURCE_DIR}/${path_${layer}}/*.h")
  if(NOT any)
    message(FATAL_ERROR "docs/architecture.md names ${path_${layer}}/, which holds no sources")
  endif()
endforeach()
foreach(layer IN LISTS layers)
  file(GLOB sources "${SOURCE_DIR}/${path_${layer}}/*.h" "${SOURCE_DIR}/${path_${layer}}/*.cpp")
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
    file(STRINGS "${source}" includes REGEX "^#include \"[a-z0-9_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([a-z0-9_]+)/.*" "\\1" folder "${line}")
      if(NOT folder IN_LIST allowed_${layer})
        string(APPEND violations "\n  ${shown}: ${line} (${layer}/ may include only: ${allowed_${layer}})")
      endif()
    endforeach()
    # Rules with one home (docs/architecture.md, "Where each rule lives").
    # Every UTF-8 decoder tests for the lowest lead byte of a two-byte
    # sequence; only text/ may.
    if(NOT layer STREQUAL "text")
      file(STRINGS "${source}" utf8 REGEX "0[xX][cC]2")
      if(utf8)
        string(APPEND violations "\n  ${shown}: decodes UTF-8 itself (use DecodeUtf8Step of text/utf8_decoder.h)")
      endif()
    endif()
    if(NOT layer STREQUAL "codec")
      file(STRINGS "${source}" hex REGEX "int HexValue\\(")
      if(hex)
        string(APPEND violations "\n  ${shown}: a second HexValue (use the one of codec/literal_lexer.h)")
      endif()
    endif()
  endforeach()
endforeach()
# The run-time library's installed headers: after an install only
# <textresgen/...> is there, so they include nothing by quotes; and only its
# platform headers (detail/platform*.h) include the system's, so an
# application's macros meet <windows.h> in one place.
file(GLOB installed "${SOURCE_DIR}/include/textresgen/*.h" "${SOURCE_DIR}/include/textresgen/detail/*.h")
if(NOT installed)
  message(FATAL_ERROR "include/textresgen/ holds no headers")
endif()
foreach(header IN LISTS installed)
  file(RELATIVE_PATH shown "${SOURCE_DIR}" "${header}")
  file(STRINGS "${header}" includes REGEX "^#[ \t]*include")
  foreach(line IN LISTS includes)
    if(line MATCHES "^#[ \t]*include[ \t]*\"")
      string(APPEND violations "\n  ${shown}: ${line} (an installed header includes <textresgen/...> only)")
    elseif(NOT line MATCHES "^#[ \t]*include[ \t]*<(textresgen/|[a-z_]+>)"
           AND NOT shown MATCHES "/detail/platform[a-z0-9_]*\\.h$")
      string(APPEND violations "\n  ${shown}: ${line} (system headers only in detail/platform*.h)")
    endif()
  endforeach()
endforeach()
if(violations)
  message(FATAL_ERROR "includes against the layering, or a rule written twice:${violations}")
endif()
message(STATUS "every include follows the layering")
