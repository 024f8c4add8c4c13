# Fails unless two text libraries declare the same TextResource structure
# (cmake -P, called by textresgen_add_library with SAME_LAYOUT_AS). Sameness
# is the layout fingerprint that textresgen-layout wrote for each library
# (FINGERPRINT, OTHER_FINGERPRINT: their textresouce_layout.h), the same one
# the run-time Catalog compares, so there is one definition of "same layout".
# The member lists read from the generated headers only explain a difference.
# Inputs: TARGET, OTHER, HEADER, OTHER_HEADER, FINGERPRINT, OTHER_FINGERPRINT,
# DEFINITION, OTHER_DEFINITION, STAMP.
cmake_minimum_required(VERSION 3.25)

# The dotted names of a generated (UTF-16LE) header's members, in member
# order: "struct _Name" opens a group, "}" closes one, "S Name;" is a text.
function(_textresgen_layout_members header out)
  file(STRINGS "${header}" lines ENCODING UTF-16LE)
  set(groups "")
  set(members "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*struct _([A-Za-z0-9_]+)[ \t]*$")
      list(APPEND groups "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^[ \t]*}[ \t]*[A-Za-z0-9_]+")
      list(POP_BACK groups)
    elseif(line MATCHES "^[ \t]*S ([A-Za-z0-9_]+)")
      list(JOIN groups "." prefix)
      if(prefix)
        list(APPEND members "${prefix}.${CMAKE_MATCH_1}")
      else()
        list(APPEND members "${CMAKE_MATCH_1}")
      endif()
    endif()
  endforeach()
  set(${out} "${members}" PARENT_SCOPE)
endfunction()

# The fingerprint textresgen-layout wrote for `library` into `layout_file`.
function(_textresgen_layout_fingerprint library layout_file out)
  set(lines "")
  if(EXISTS "${layout_file}")
    file(STRINGS "${layout_file}" lines REGEX "\"textresgen-layout-[0-9]+:[0-9a-f]+\"")
  endif()
  if(NOT lines MATCHES "\"(textresgen-layout-[0-9]+:[0-9a-f]+)\"")
    message(FATAL_ERROR "textresgen: ${library} has no layout fingerprint in ${layout_file} (written by "
                        "textresgen-layout); build it again")
  endif()
  set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

file(REMOVE "${STAMP}")
if(NOT OTHER_HEADER OR NOT EXISTS "${OTHER_HEADER}")
  message(FATAL_ERROR "textresgen: ${OTHER} has no generated header to compare ${TARGET} with")
endif()
_textresgen_layout_fingerprint("${TARGET}" "${FINGERPRINT}" mine)
_textresgen_layout_fingerprint("${OTHER}" "${OTHER_FINGERPRINT}" theirs)
if(NOT mine STREQUAL theirs)
  # Where the member lists first part: the member each has there.
  _textresgen_layout_members("${HEADER}" my_members)
  _textresgen_layout_members("${OTHER_HEADER}" other_members)
  list(LENGTH my_members my_count)
  list(LENGTH other_members other_count)
  set(at 0)
  foreach(my_name other_name IN ZIP_LISTS my_members other_members)
    if(NOT my_name STREQUAL other_name)
      set(my_member "${my_name}")  # the loop's variables end with it
      set(other_member "${other_name}")
      break()
    endif()
    math(EXPR at "${at} + 1")
  endforeach()
  math(EXPR number "${at} + 1")
  if(at LESS my_count AND at LESS other_count)
    set(where "member ${number} is ${my_member} in ${TARGET} but ${other_member} in ${OTHER}")
  elseif(at LESS other_count)
    set(where "${TARGET} ends after member ${at}; ${OTHER} goes on with ${other_member}")
  elseif(at LESS my_count)
    set(where "${OTHER} ends after member ${at}; ${TARGET} goes on with ${my_member}")
  else()
    set(where "the members have the same names, so the headers (and so the fingerprints) differ otherwise; build both again")
  endif()
  # NOTICE prints the lines as they are; FATAL_ERROR would wrap them.
  message(NOTICE "textresgen: ${TARGET} and ${OTHER} do not declare the same TextResource layout "
                 "(${DEFINITION} vs ${OTHER_DEFINITION})\n"
                 "textresgen: ${TARGET} has ${my_count} members, ${OTHER} ${other_count}; ${where}\n"
                 "textresgen: define the same names in both files (a missing name, a misspelt one or an extra "
                 "one moves every later member); a translators' PO or XLIFF file built with BASE always gets "
                 "the base's names")
  message(FATAL_ERROR "textresgen: layout check failed")
endif()
file(TOUCH "${STAMP}")
