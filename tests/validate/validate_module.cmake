# Runs FINALE.EXE validate on a module: every check up to PASSES must pass
# (exit status 0); at FAILS exactly one check fails (exit status 1), and the
# report matches MATCHES. Then the first replay line of the failed check is
# run: it must fail that case again.
#   -DPROGRAM=... -DEMULATOR=... -DMODULE=... [-DPASSES=n] [-DFAILS=n -DMATCHES=regex]
#   [-DOPTIONS=a|b]: more options for every run
include(${CMAKE_CURRENT_LIST_DIR}/run_validate.cmake)

string(REPLACE "|" ";" options "${OPTIONS}")
if(DEFINED PASSES)
  run_validate("level ${PASSES}" 0 ${MODULE} --level ${PASSES} ${options})
  message("${output}")
endif()
if(DEFINED FAILS)
  run_validate("level ${FAILS}" 1 ${MODULE} --level ${FAILS} ${options})
  message("${output}")
  require_report("level ${FAILS}" "${MATCHES}" "the report does not name the fault")
  require_report("level ${FAILS}" "\nsummary: [0-9]+ checks, [0-9]+ passed, 1 failed;" "not exactly one check failed")
  require_replay_fails_again()
endif()
