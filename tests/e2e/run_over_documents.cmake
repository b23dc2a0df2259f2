# Runs the host program (through the emulator, if any) over document files
# and checks its exit status, its one-line message, and the files it wrote
# or must not have written.
#   -DPROGRAM=... -DEMULATOR=... -DARGS=a|b|c -DEXPECT_STATUS=n
#   [-DEXPECT_ERROR=regex] [-DCOPY=from|to] [-DSAME=file|file] [-DABSENT=file]
# COPY is done before the run, ABSENT is removed before it.
string(REPLACE "|" ";" arguments "${ARGS}")
if(DEFINED COPY)
  string(REPLACE "|" ";" copy "${COPY}")
  list(GET copy 0 from)
  list(GET copy 1 to)
  file(COPY_FILE ${from} ${to})
endif()
if(DEFINED ABSENT)
  file(REMOVE ${ABSENT})
endif()

execute_process(
  COMMAND ${EMULATOR} ${PROGRAM} ${arguments}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE output
  ERROR_VARIABLE error)
string(REPLACE "\r\n" "\n" error "${error}")

if(NOT "${status}" STREQUAL "${EXPECT_STATUS}")
  message(FATAL_ERROR "exit status ${status}, expected ${EXPECT_STATUS}\nstdout:\n${output}\nstderr:\n${error}")
endif()
if(DEFINED EXPECT_ERROR)
  if(NOT error MATCHES "${EXPECT_ERROR}")
    message(FATAL_ERROR "standard error does not match '${EXPECT_ERROR}':\n${error}")
  endif()
endif()
if(DEFINED ABSENT AND EXISTS ${ABSENT})
  message(FATAL_ERROR "${ABSENT} was written")
endif()
if(DEFINED SAME)
  string(REPLACE "|" ";" same "${SAME}")
  list(GET same 0 written)
  list(GET same 1 expected)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${written} ${expected}
    RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${written} differs from ${expected}")
  endif()
endif()
