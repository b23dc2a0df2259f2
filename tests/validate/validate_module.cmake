# Runs FINALE.EXE validate on a module (through the emulator, if any):
# every check up to PASSES must pass (exit status 0); at FAILS exactly one
# check fails (exit status 1), and the report matches MATCHES.
#   -DPROGRAM=... -DEMULATOR=... -DMODULE=... [-DPASSES=n] [-DFAILS=n -DMATCHES=regex]
function(validate level)
  execute_process(
    COMMAND ${EMULATOR} ${PROGRAM} validate ${MODULE} --level ${level}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE output
    ERROR_VARIABLE error)
  string(REPLACE "\r\n" "\n" output "${output}")
  set(status ${status} PARENT_SCOPE)
  set(output "${output}" PARENT_SCOPE)
  set(error "${error}" PARENT_SCOPE)
endfunction()

if(DEFINED PASSES)
  validate(${PASSES})
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "level ${PASSES}: exit status ${status}, expected 0\n${output}\n${error}")
  endif()
  message("${output}")
endif()
if(DEFINED FAILS)
  validate(${FAILS})
  if(NOT status EQUAL 1)
    message(FATAL_ERROR "level ${FAILS}: exit status ${status}, expected 1\n${output}\n${error}")
  endif()
  if(NOT output MATCHES "${MATCHES}")
    message(FATAL_ERROR "level ${FAILS}: the report does not match '${MATCHES}':\n${output}")
  endif()
  if(NOT output MATCHES "\nsummary: [0-9]+ checks, [0-9]+ passed, 1 failed;")
    message(FATAL_ERROR "level ${FAILS}: not exactly one check failed:\n${output}")
  endif()
  message("${output}")
endif()
