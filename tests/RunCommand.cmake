# run(<command> [<arg>...]) for the test scripts run with cmake -P: runs the
# command and stops the script with its exit status and output unless it
# succeeds; else leaves its output (stdout and stderr together) in `output`.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

# install_into(<root> <build> <config>): a DESTDIR install of the build under
# <root>/usr, <root> emptied first.
function(install_into root build config)
  file(REMOVE_RECURSE "${root}")
  set(ENV{DESTDIR} "${root}")
  run("${CMAKE_COMMAND}" --install "${build}" --config "${config}" --prefix /usr)
  unset(ENV{DESTDIR})
endfunction()
