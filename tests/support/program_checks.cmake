# What the test scripts that run a program check of its run: the exit
# status, the standard output against an expected file, the standard error
# against a pattern. Each stops the script with a message that shows what
# the program printed.

# require_status(<status> <expected> <output> <error> [<what>]): the exit
# status is the one expected. `what` names the run when a script runs more
# than one.
function(require_status status expected output error)
  if(ARGN)
    set(what "${ARGN}: ")
  endif()
  if(NOT "${status}" STREQUAL "${expected}")
    message(FATAL_ERROR "${what}exit status ${status}, expected ${expected}\nstdout:\n${output}\nstderr:\n${error}")
  endif()
endfunction()

# require_output(<output> <expected file> [<actual file>]): the standard
# output is the expected file's bytes. When it differs and an actual file is
# named, the output is written there for scripts/refresh-expected; when it
# agrees, an actual file an earlier run left is removed, so that an old
# output is never taken for the new one.
function(require_output output expected_file)
  set(actual_file "${ARGN}")
  file(READ "${expected_file}" expected)
  if(output STREQUAL expected)
    if(actual_file)
      file(REMOVE "${actual_file}")
    endif()
    return()
  endif()
  if(actual_file)
    file(WRITE "${actual_file}" "${output}")
    set(where " (written to ${actual_file})")
  endif()
  message(FATAL_ERROR "standard output differs from ${expected_file}${where}:\n${output}")
endfunction()

# require_error(<error> <regex> [ONE_LINE]): the standard error matches;
# with ONE_LINE it is also a single line, as a message on bad input is.
function(require_error error regex)
  if(NOT error MATCHES "${regex}")
    message(FATAL_ERROR "standard error does not match '${regex}':\n${error}")
  endif()
  if("${ARGN}" STREQUAL "ONE_LINE")
    string(REGEX MATCHALL "\n" lines "${error}")
    list(LENGTH lines line_count)
    if(NOT line_count EQUAL 1)
      message(FATAL_ERROR "expected a one-line message, got:\n${error}")
    endif()
  endif()
endfunction()
