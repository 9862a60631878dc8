# What scripts/setup installs: a piece that is missing stops the configuration with what to run,
# never a build that quietly leaves something out.
function(dp_require_program var what)
  find_program(${var} NAMES ${ARGN})
  if(NOT ${var})
    message(FATAL_ERROR "${what} is missing (looked for ${ARGN}): run scripts/setup")
  endif()
endfunction()
