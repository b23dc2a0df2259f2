# What the validator's test scripts share: run FINALE.EXE validate and look
# at its report.
include(${CMAKE_CURRENT_LIST_DIR}/../../support/program_checks.cmake)

# run_validate(<what> <expected status> <arguments...>): runs
# `PROGRAM validate <arguments>` through EMULATOR (if any) and sets `output`
# to its report and `error_output` to what it said on standard error; stops
# unless the exit status is the one expected. `what` names the run in
# messages; an argument "<empty>" stands for an empty one.
function(run_validate what expected)
  # A test's limit for a case bounds a hang and measures no speed: the
  # plug-in built for the sanitizers takes about the default ten seconds for
  # a case of level 5 on a busy machine. A run that sets a limit keeps it.
  set(arguments ${ARGN})
  list(FIND arguments --case-limit given)
  if(given EQUAL -1)
    list(APPEND arguments --case-limit 300)
  endif()
  set(command "")
  foreach(argument ${EMULATOR} ${PROGRAM} validate ${arguments})
    if(argument STREQUAL "<empty>")
      string(APPEND command " \"\"")
    else()
      string(APPEND command " [==[${argument}]==]")
    endif()
  endforeach()
  cmake_language(EVAL CODE "execute_process(COMMAND ${command}
    RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE error)")
  string(REPLACE "\r\n" "\n" report "${report}")
  string(REPLACE "\r\n" "\n" error "${error}")
  require_status("${status}" "${expected}" "${report}" "${error}" "${what}")
  set(output "${report}" PARENT_SCOPE)
  set(error_output "${error}" PARENT_SCOPE)
endfunction()

# require_report(<what> <regex> <what it means>): stops unless `output`
# matches.
function(require_report what regex meaning)
  if(NOT output MATCHES "${regex}")
    message(FATAL_ERROR "${what}: ${meaning} ('${regex}'):\n${output}")
  endif()
endfunction()

# require_replay_fails_again(): takes the first failed case of the failed
# check in `output` and runs its replay line (through the emulator): it must
# run that case (with the cases before it, when the line says so) and fail
# it again. Sets `output` to the replay's report.
macro(require_replay_fails_again)
  if(NOT output MATCHES "\nFAIL [1-5] ([a-z0-9-]+) [^\n]*\n(        [^\n]*\n)*        ([a-z0-9-]+:[^ \n]+): [^\n]*\n(          [^\n]*\n)*          replay: ([^\n]*FINALE.EXE) validate ([^\n]*)\n")
    message(FATAL_ERROR "no failed case with a replay line in the report:\n${output}")
  endif()
  set(replayed_case "${CMAKE_MATCH_3}")
  # The program names itself as the system gave it its path (under Wine, a
  # Windows path); the arguments after it are what matters.
  separate_arguments(replay_arguments UNIX_COMMAND "${CMAKE_MATCH_6}")
  # A case whose fault a later case showed is replayed up to that one.
  string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" replayed_pattern "${replayed_case}")
  if(NOT replay_arguments MATCHES "--seed;[0-9]+;--case;(${replayed_pattern};|[^;]+;--from;)([0-9]+;)?(--from;[0-9]+;)?(--case-limit;[0-9]+;)?--trace;-")
    message(FATAL_ERROR "the replay line does not give the seed, the case and --trace -: ${replay_arguments}")
  endif()
  run_validate("the replay" 1 ${replay_arguments})
  require_report("the replay" "\n        ${replayed_pattern}: " "it did not fail that case again")
endmacro()
