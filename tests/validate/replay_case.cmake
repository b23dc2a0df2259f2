# Runs FINALE.EXE validate on a module that fails at LEVEL, takes the first
# replay line of the report and runs it (through the emulator, if any):
# it must run that one case alone, fail it again, and show its host calls.
#   -DPROGRAM=... -DEMULATOR=... -DMODULE=... -DLEVEL=n -DCHECK=name -DCALLS=regex
execute_process(
  COMMAND ${EMULATOR} ${PROGRAM} validate ${MODULE} --level ${LEVEL} --seed 7
  RESULT_VARIABLE status
  OUTPUT_VARIABLE output)
string(REPLACE "\r\n" "\n" output "${output}")
if(NOT output MATCHES "\n +replay: ([^\n]*FINALE.EXE) validate ([^\n]*)\n")
  message(FATAL_ERROR "no replay line in the report (exit status ${status}):\n${output}")
endif()
# The program names itself as the system gave it its path (under Wine, a
# Windows path); the arguments after it are what matters.
separate_arguments(arguments UNIX_COMMAND "${CMAKE_MATCH_2}")
if(NOT arguments MATCHES "--seed;7;--case;${CHECK}:[^;]+;--trace;-$")
  message(FATAL_ERROR "the replay line does not give the seed, the case and --trace -: ${arguments}")
endif()
execute_process(
  COMMAND ${EMULATOR} ${PROGRAM} validate ${arguments}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE replayed
  ERROR_VARIABLE error)
string(REPLACE "\r\n" "\n" replayed "${replayed}")
if(NOT status EQUAL 1)
  message(FATAL_ERROR "the replay: exit status ${status}, expected 1\n${replayed}\n${error}")
endif()
if(NOT replayed MATCHES "\nFAIL ${LEVEL} ${CHECK} [^\n]*\\(1 case, 1 failed\\)\n")
  message(FATAL_ERROR "the replay did not run that one case alone and fail it:\n${replayed}")
endif()
if(NOT replayed MATCHES "${CALLS}")
  message(FATAL_ERROR "the replay's host calls do not match '${CALLS}':\n${replayed}")
endif()
message("${replayed}")
