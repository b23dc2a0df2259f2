# Runs validate once and looks at its report (the host calls of a case, or
# the summary) or at its one-line error.
#   -DPROGRAM=... -DEMULATOR=... -DARGS=a|b|c -DSTATUS=n [-DCALLS=regex] [-DERROR=regex]
#   [-DCOPY=<file>|<copy>]: the copy is made first
include(${CMAKE_CURRENT_LIST_DIR}/run_validate.cmake)

if(COPY)
  string(REPLACE "|" ";" copy "${COPY}")
  list(GET copy 0 from)
  list(GET copy 1 to)
  get_filename_component(folder "${to}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${from}" "${to}")
endif()

string(REPLACE "|" ";" arguments "${ARGS}")
run_validate("the run" ${STATUS} ${arguments})
if(CALLS)
  require_report("the run" "${CALLS}" "its report is not as it should be")
endif()
if(ERROR)
  require_error("${error_output}" "${ERROR}" ONE_LINE)
endif()
