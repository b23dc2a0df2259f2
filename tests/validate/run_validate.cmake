# What the validator's test scripts share: run FINALE.EXE validate and look
# at its report.

# run_validate(<what> <expected status> <arguments...>): runs
# `PROGRAM validate <arguments>` through EMULATOR (if any) and sets `output`
# to its report; stops unless the exit status is the one expected. `what`
# names the run in messages.
function(run_validate what expected)
  execute_process(
    COMMAND ${EMULATOR} ${PROGRAM} validate ${ARGN}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE report
    ERROR_VARIABLE error)
  string(REPLACE "\r\n" "\n" report "${report}")
  if(NOT status EQUAL expected)
    message(FATAL_ERROR "${what}: exit status ${status}, expected ${expected}\n${report}\n${error}")
  endif()
  set(output "${report}" PARENT_SCOPE)
endfunction()

# require_report(<what> <regex> <what it means>): stops unless `output`
# matches.
function(require_report what regex meaning)
  if(NOT output MATCHES "${regex}")
    message(FATAL_ERROR "${what}: ${meaning} ('${regex}'):\n${output}")
  endif()
endfunction()
