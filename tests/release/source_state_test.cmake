# What the release says of its source (cmake/SourceState.cmake), in a git
# repository of the test's own: the commit, marked when the files differ
# from it; nothing taken for a commit outside git; the commit's time, or
# SOURCE_DATE_EPOCH, and a wrong one refused; the copyright's years.
#   cmake -DSOURCE_STATE=<SourceState.cmake> -DWORK=<folder> -P source_state_test.cmake
include(${SOURCE_STATE})

function(expect what actual expected)
  if(NOT actual STREQUAL expected)
    message(SEND_ERROR "${what}: '${actual}', expected '${expected}'")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/repository ${WORK}/elsewhere)
set(repository ${WORK}/repository)
# The work folder may lie inside the plug-in's own checkout (the build
# folder does): git must not look above it.
set(ENV{GIT_CEILING_DIRECTORIES} ${WORK})
function(git)
  execute_process(COMMAND git -C ${repository} -c user.name=test -c user.email=test@invalid ${ARGN}
    OUTPUT_VARIABLE out OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(git_output "${out}" PARENT_SCOPE)
endfunction()
git(init -q)
file(WRITE ${repository}/file.txt "first\n")
git(add file.txt)
set(ENV{GIT_COMMITTER_DATE} "@1830000000 +0000")
git(commit -q -m first)
git(rev-parse HEAD)
set(head ${git_output})

unset(ENV{SOURCE_DATE_EPOCH})
karvo_commit(${repository} commit)
expect("a clean checkout" "${commit}" "${head}")
file(WRITE ${repository}/file.txt "changed\n")
karvo_commit(${repository} commit)
expect("a changed file" "${commit}" "${head} with local changes")
file(WRITE ${repository}/file.txt "first\n")
file(WRITE ${repository}/new.txt "new\n")
karvo_commit(${repository} commit)
expect("a new file" "${commit}" "${head} with local changes")
karvo_commit(${WORK}/elsewhere commit)
expect("outside git" "${commit}" "unknown (not built from a git checkout)")

karvo_commit_time(${repository} epoch problem)
expect("the commit's time" "${epoch}" "1830000000")
karvo_commit_time(${WORK}/elsewhere epoch problem)
expect("no time outside git" "${epoch}" "")
set(ENV{SOURCE_DATE_EPOCH} 1790000000)
karvo_commit_time(${WORK}/elsewhere epoch problem)
expect("SOURCE_DATE_EPOCH" "${epoch}" "1790000000")
set(ENV{SOURCE_DATE_EPOCH} "yesterday")
karvo_commit_time(${repository} epoch problem)
expect("a SOURCE_DATE_EPOCH that is no time" "${epoch}" "")
if(NOT problem MATCHES "SOURCE_DATE_EPOCH is 'yesterday'")
  message(SEND_ERROR "a SOURCE_DATE_EPOCH that is no time: said '${problem}'")
endif()

# 1790000000 is in 2026, 1830000000 in 2027.
karvo_copyright(1790000000 copyright)
expect("the first year" "${copyright}" "Copyright (c) 2026 the Karvo Indent System authors")
karvo_copyright(1830000000 copyright)
expect("a later year" "${copyright}" "Copyright (c) 2026-2027 the Karvo Indent System authors")
karvo_copyright("" copyright)
expect("no time" "${copyright}" "Copyright (c) 2026 the Karvo Indent System authors")
