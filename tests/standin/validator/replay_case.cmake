# Runs FINALE.EXE validate on a module that fails at LEVEL, takes the first
# replay line of the report and runs it (through the emulator, if any):
# it must run that one case alone, fail it again, and show its host calls.
#   -DPROGRAM=... -DEMULATOR=... -DMODULE=... -DLEVEL=n -DCHECK=name -DCALLS=regex
include(${CMAKE_CURRENT_LIST_DIR}/run_validate.cmake)

run_validate("level ${LEVEL}" 1 ${MODULE} --level ${LEVEL} --seed 7)
if(NOT output MATCHES "\n +replay: ([^\n]*FINALE.EXE) validate ([^\n]*)\n")
  message(FATAL_ERROR "no replay line in the report:\n${output}")
endif()
# The program names itself as the system gave it its path (under Wine, a
# Windows path); the arguments after it are what matters.
separate_arguments(arguments UNIX_COMMAND "${CMAKE_MATCH_2}")
if(NOT arguments MATCHES "--seed;7;--case;${CHECK}:[^;]+;(--case-limit;[0-9]+;)?--trace;-$")
  message(FATAL_ERROR "the replay line does not give the seed, the case and --trace -: ${arguments}")
endif()
run_validate("the replay" 1 ${arguments})
require_report("the replay" "\nFAIL ${LEVEL} ${CHECK} [^\n]*\\(1 case, 1 failed\\)\n"
  "it did not run that one case alone and fail it")
require_report("the replay" "${CALLS}" "its host calls are not the case's")
message("${output}")
