# Fails unless two text libraries declare the same TextResource structure,
# that is unless their generated headers are the same bytes (cmake -P, called
# by textresgen_add_library with SAME_LAYOUT_AS).
# Inputs: TARGET, OTHER, HEADER, OTHER_HEADER, DEFINITION, OTHER_DEFINITION, STAMP.
cmake_minimum_required(VERSION 3.25)

file(REMOVE "${STAMP}")
if(NOT OTHER_HEADER OR NOT EXISTS "${OTHER_HEADER}")
  message(FATAL_ERROR "textresgen: ${OTHER} has no generated header to compare ${TARGET} with")
endif()
file(SHA256 "${HEADER}" mine)
file(SHA256 "${OTHER_HEADER}" theirs)
if(NOT mine STREQUAL theirs)
  # NOTICE prints the line as it is; FATAL_ERROR would wrap it.
  message(NOTICE "textresgen: ${TARGET} and ${OTHER} do not declare the same TextResource layout "
                 "(${DEFINITION} vs ${OTHER_DEFINITION})")
  message(FATAL_ERROR "textresgen: layout check failed")
endif()
file(TOUCH "${STAMP}")
