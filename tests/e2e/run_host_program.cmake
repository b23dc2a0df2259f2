# Runs one program (through the emulator, if any) and checks its exit status,
# its standard output against an expected file, and its standard error
# against a pattern.
#   -DPROGRAM=... -DEMULATOR=... -DARGS=a|b|c -DEXPECT_STATUS=n
#   [-DEXPECT_OUTPUT=file] [-DEXPECT_ERROR=regex] [-DACTUAL_OUTPUT=file]
include(${CMAKE_CURRENT_LIST_DIR}/run_captured.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/../support/program_checks.cmake)
string(REPLACE "|" ";" arguments "${ARGS}")
run_captured(status output error COMMAND ${EMULATOR} ${PROGRAM} ${arguments})

require_status("${status}" "${EXPECT_STATUS}" "${output}" "${error}")
if(DEFINED EXPECT_OUTPUT)
  require_output("${output}" "${EXPECT_OUTPUT}" "${ACTUAL_OUTPUT}")
endif()
if(DEFINED EXPECT_ERROR)
  require_error("${error}" "${EXPECT_ERROR}" ONE_LINE)
endif()
