# A sound module that prints sixteen megabytes without a line end when a
# process first calls it, and four kilobytes more each time its menu is
# asked for: it passes level 5 within a minute (a quiet one takes seconds),
# and the report stays as short as a quiet module's.
#   -DPROGRAM=... -DEMULATOR=... -DMODULE=...
include(${CMAKE_CURRENT_LIST_DIR}/run_validate.cmake)

string(TIMESTAMP start "%s")
run_validate("level 5" 0 ${MODULE} --level 5)
string(TIMESTAMP end "%s")
math(EXPR seconds "${end} - ${start}")
string(LENGTH "${output}" length)
message("${output}\n${seconds} s, ${length} bytes")
if(seconds GREATER 60 OR length GREATER 8192)
  message(FATAL_ERROR "a noisy module took ${seconds} s and a report of ${length} bytes")
endif()
