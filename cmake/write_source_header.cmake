# Writes the header from which the version resource takes the commit and
# the copyright line, rewriting it only when they changed:
#   cmake -DCHECKOUT=<checkout> -DOUTPUT=<header> -P write_source_header.cmake
include(${CMAKE_CURRENT_LIST_DIR}/SourceState.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/WriteWhole.cmake)

karvo_commit(${CHECKOUT} commit)
karvo_commit_time(${CHECKOUT} epoch problem)
karvo_copyright("${epoch}" copyright)
set(header "// Made by the build from the checkout's state: the commit and the
// copyright line in the module's version resource.
#pragma once

#define KARVO_COMMIT_TEXT \"Built from commit ${commit}\"
#define KARVO_COPYRIGHT_TEXT \"${copyright}\"
")

karvo_write_whole(${OUTPUT} "${header}")
