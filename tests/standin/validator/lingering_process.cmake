# A module that starts a program which outlives it, with the host's
# standard streams: the check names it, the run does not wait for the
# program, and no such program is left once the validator has ended.
#   -DPROGRAM=... -DEMULATOR=... -DMODULE=... -DLINGERING=<file name>
include(${CMAKE_CURRENT_LIST_DIR}/run_validate.cmake)

string(TIMESTAMP start "%s")
run_validate("level 2" 1 ${MODULE} --level 2)
string(TIMESTAMP end "%s")
math(EXPR seconds "${end} - ${start}")
message("${output}\n${seconds} s")
require_report("level 2" "started 1 process of its own and left it to the host" "the process is not named")
# The program lingers for 600 s: a run that waited for it takes that long,
# one that did not a few seconds, or on the busiest machine a minute.
if(seconds GREATER 300)
  message(FATAL_ERROR "the run waited for the program it started: ${seconds} s")
endif()
# By its process name: the name of the program, or under Wine of its .exe.
# Wine ends a process a moment after it says it has; it is looked for until
# it has gone, for at most a minute.
foreach(attempt RANGE 240)
  execute_process(COMMAND pgrep "^${LINGERING}" OUTPUT_VARIABLE left RESULT_VARIABLE found)
  if(NOT found EQUAL 0)
    return()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 0.25)
endforeach()
message(FATAL_ERROR "left running after the validator ended: ${LINGERING} (${left})")
