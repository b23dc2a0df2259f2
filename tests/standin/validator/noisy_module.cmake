# A sound module that prints sixteen megabytes without a line end when a
# process first calls it, and four kilobytes more each time its menu is
# asked for: it passes level 5, its report as short as a quiet module's,
# and the noise costs the run no more than a few times the quiet module's
# own run, timed just before on the same machine (under Wine a quiet run
# alone takes some twenty seconds, natively a few).
#   -DPROGRAM=... -DEMULATOR=... -DMODULE=... -DSOUND=...
include(${CMAKE_CURRENT_LIST_DIR}/run_validate.cmake)

# run_timed(<module>): runs level 5 on it; `seconds` its time.
macro(run_timed module)
  string(TIMESTAMP start "%s")
  run_validate("level 5" 0 ${module} --level 5)
  string(TIMESTAMP end "%s")
  math(EXPR seconds "${end} - ${start}")
endmacro()

run_timed(${SOUND})
set(quiet ${seconds})
run_timed(${MODULE})
string(LENGTH "${output}" length)
message("${output}\n${seconds} s against ${quiet} s for the quiet module, ${length} bytes")
math(EXPR bound "3 * ${quiet} + 30")
if(seconds GREATER bound OR length GREATER 8192)
  message(FATAL_ERROR "a noisy module took ${seconds} s (the bound: ${bound} s, three times the quiet module's ${quiet} s and 30) and a report of ${length} bytes")
endif()
