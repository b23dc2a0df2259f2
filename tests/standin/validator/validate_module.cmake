# Runs FINALE.EXE validate on a module: every check up to PASSES must pass
# (exit status 0); CHECK, run alone, must fail (exit status 1) with a report
# that matches MATCHES, and the replay line of its first failed case must
# fail that case again (unless -DREPLAY_NOT_OFFERED=1: the module offers the
# case only in the process it failed in, and the report must say so).
#   -DPROGRAM=... -DEMULATOR=... -DMODULE=... [-DPASSES=n] [-DCHECK=name -DMATCHES=regex]
#   [-DOPTIONS=a|b]: more options for every run
include(${CMAKE_CURRENT_LIST_DIR}/run_validate.cmake)

string(REPLACE "|" ";" options "${OPTIONS}")
if(DEFINED PASSES)
  run_validate("level ${PASSES}" 0 ${MODULE} --level ${PASSES} ${options})
  message("${output}")
endif()
if(DEFINED CHECK)
  run_validate("check ${CHECK}" 1 ${MODULE} --check ${CHECK} ${options})
  message("${output}")
  require_report("check ${CHECK}" "${MATCHES}" "the report does not name the fault")
  require_report("check ${CHECK}" "\nsummary: 1 checks, 0 passed, 1 failed;" "the check did not fail")
  if(REPLAY_NOT_OFFERED)
    require_report("check ${CHECK}" "\n          run again, the module did not offer [^\n]* in that process, though it had in the one the case failed in: its menus differ between processes"
      "the report does not say the replay's process offered other commands")
  else()
    require_replay_fails_again()
  endif()
endif()
