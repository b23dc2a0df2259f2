# What the release says about the source it was built from: the commit and
# its time. Scripts run with cmake -P include this file; so does the build.

# karvo_commit_time(<checkout> <out> <problem>): the time packed files carry,
# in seconds since 1970: SOURCE_DATE_EPOCH where that is set, else the time
# of the checkout's current commit. <out> is empty, and <problem> says why,
# when there is none.
function(karvo_commit_time checkout out problem)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch $ENV{SOURCE_DATE_EPOCH})
    set(why "SOURCE_DATE_EPOCH is '${epoch}', not a number of seconds since 1970")
  else()
    execute_process(COMMAND git -C ${checkout} log -1 --format=%ct
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    set(why "${checkout} is not a git checkout: set SOURCE_DATE_EPOCH to the time, in seconds since 1970, that the packed files should carry")
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    set(epoch "")
  endif()
  set(${out} "${epoch}" PARENT_SCOPE)
  set(${problem} "${why}" PARENT_SCOPE)
endfunction()

# karvo_commit(<checkout> <out>): the checkout's commit, followed by " with
# local changes" when its files differ from that commit; "unknown (not built
# from a git checkout)" outside git.
function(karvo_commit checkout out)
  execute_process(COMMAND git -C ${checkout} rev-parse HEAD
    OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
    RESULT_VARIABLE failed)
  if(failed OR NOT commit MATCHES "^[0-9a-f]+$")
    set(${out} "unknown (not built from a git checkout)" PARENT_SCOPE)
    return()
  endif()
  # No optional locks: asking must not rewrite the index, which a copy of
  # the checkout may share with the checkout itself.
  execute_process(COMMAND git -C ${checkout} --no-optional-locks status --porcelain
    OUTPUT_VARIABLE changes ERROR_QUIET)
  if(NOT changes STREQUAL "")
    string(APPEND commit " with local changes")
  endif()
  set(${out} "${commit}" PARENT_SCOPE)
endfunction()

# The year the plug-in's first code was written, where its copyright begins.
set(KARVO_FIRST_YEAR 2026)

# karvo_copyright(<epoch> <out>): the copyright line for the code as of
# <epoch> (seconds since 1970; empty: as of its first year). For scripts run
# with cmake -P: it sets SOURCE_DATE_EPOCH, through which string(TIMESTAMP)
# reads a time it is given.
function(karvo_copyright epoch out)
  set(year ${KARVO_FIRST_YEAR})
  if(NOT epoch STREQUAL "")
    set(ENV{SOURCE_DATE_EPOCH} ${epoch})
    string(TIMESTAMP year "%Y" UTC)
  endif()
  set(years ${KARVO_FIRST_YEAR})
  if(year GREATER KARVO_FIRST_YEAR)
    set(years "${KARVO_FIRST_YEAR}-${year}")
  endif()
  set(${out} "Copyright (c) ${years} the Karvo Indent System authors" PARENT_SCOPE)
endfunction()
