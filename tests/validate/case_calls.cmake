# Runs one case with its host calls and looks at them.
#   -DPROGRAM=... -DEMULATOR=... -DARGS=a|b|c -DSTATUS=n -DCALLS=regex
include(${CMAKE_CURRENT_LIST_DIR}/run_validate.cmake)

string(REPLACE "|" ";" arguments "${ARGS}")
run_validate("the case" ${STATUS} ${arguments})
require_report("the case" "${CALLS}" "its host calls are not as they should be")
