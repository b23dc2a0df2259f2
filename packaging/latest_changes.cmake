# Writes the newest entry of CHANGELOG.md, the changes a package brings, for
# the package. The entry runs from the first "## <version>" heading to the
# next; it must be the version being packed, so that a release whose
# changes were not written down does not build.
#
#   cmake -DCHANGELOG=<CHANGELOG.md> -DVERSION=<version> -DOUTPUT=<file>
#         -P latest_changes.cmake

file(READ ${CHANGELOG} changelog)
string(REGEX MATCH "\n## [^\n]*\n" heading "${changelog}")
if(heading STREQUAL "")
  message(FATAL_ERROR "${CHANGELOG} has no entry: add a '## ${VERSION}' heading with the changes")
endif()
string(STRIP "${heading}" heading)
string(REGEX REPLACE "^## " "" entry_version "${heading}")
if(NOT entry_version STREQUAL VERSION)
  message(FATAL_ERROR "The newest entry of ${CHANGELOG} is '${heading}', not '## ${VERSION}', the version being packed: write down its changes first")
endif()

string(FIND "${changelog}" "\n${heading}\n" start)
string(LENGTH "\n${heading}\n" heading_length)
math(EXPR start "${start} + ${heading_length}")
string(SUBSTRING "${changelog}" ${start} -1 entry)
string(FIND "${entry}" "\n## " end)
if(end GREATER -1)
  string(SUBSTRING "${entry}" 0 ${end} entry)
endif()
string(STRIP "${entry}" entry)

include(${CMAKE_CURRENT_LIST_DIR}/../cmake/WriteWhole.cmake)
karvo_write_whole(${OUTPUT} "Karvo Indent System ${VERSION}: what changed\n\n${entry}\n")
