# The release's runs need the development build's host program.
#   -DPROGRAM=<its path>
if(NOT EXISTS ${PROGRAM})
  message(FATAL_ERROR "no host program at ${PROGRAM}: the release's runs use the "
    "development build's; build its preset first (native for Linux, windows for Windows)")
endif()
