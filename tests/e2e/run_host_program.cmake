# Runs one program (through the emulator, if any) and checks its exit status,
# its standard output against an expected file, and its standard error
# against a pattern.
#   -DPROGRAM=... -DEMULATOR=... -DARGS=a|b|c -DEXPECT_STATUS=n
#   [-DEXPECT_OUTPUT=file] [-DEXPECT_ERROR=regex] [-DACTUAL_OUTPUT=file]
include(${CMAKE_CURRENT_LIST_DIR}/run_captured.cmake)
string(REPLACE "|" ";" arguments "${ARGS}")
run_captured(status output error COMMAND ${EMULATOR} ${PROGRAM} ${arguments})

if(NOT "${status}" STREQUAL "${EXPECT_STATUS}")
  message(FATAL_ERROR "exit status ${status}, expected ${EXPECT_STATUS}\nstdout:\n${output}\nstderr:\n${error}")
endif()
if(DEFINED EXPECT_OUTPUT)
  file(READ ${EXPECT_OUTPUT} expected)
  if(NOT output STREQUAL expected)
    if(DEFINED ACTUAL_OUTPUT)
      file(WRITE ${ACTUAL_OUTPUT} "${output}")
      set(where " (written to ${ACTUAL_OUTPUT})")
    endif()
    message(FATAL_ERROR "standard output differs from ${EXPECT_OUTPUT}${where}:\n${output}")
  endif()
endif()
if(DEFINED EXPECT_ERROR)
  if(NOT error MATCHES "${EXPECT_ERROR}")
    message(FATAL_ERROR "standard error does not match '${EXPECT_ERROR}':\n${error}")
  endif()
  string(REGEX MATCHALL "\n" lines "${error}")
  list(LENGTH lines line_count)
  if(NOT line_count EQUAL 1)
    message(FATAL_ERROR "expected a one-line message, got:\n${error}")
  endif()
endif()
