# Runs the host program (through the emulator, if any) over document files
# and checks its exit status, its messages, its standard output, and the
# files it wrote or must not have written.
#   -DPROGRAM=... -DEMULATOR=... -DARGS=a|b|c -DEXPECT_STATUS=n
#   [-DEXPECT_ERROR=regex] [-DEXPECT_OUTPUT=file [-DACTUAL_OUTPUT=file]] [-DMATCHES=regex]
#   [-DCOPY=from|to[|READ_ONLY]]
#   [-DSAME=file|file|...] [-DABSENT=file] [-DFOLDER=dir -DFILES=a|b]
#   [-DLIMIT=blocks] [-DMEMORY=kilobytes] [-DSTANDARD_OUTPUT=file] [-DSTANDARD_INPUT=file]
#   [-DLINKS=link|target|...]
# FOLDER is emptied before the run and must hold exactly FILES after it.
# COPY is done before the run, ABSENT is removed before it. SAME holds pairs
# of files that must be equal. LIMIT caps the size of any file the program
# writes (POSIX shell blocks), as a disk that is nearly full would; MEMORY
# caps the program's memory. STANDARD_OUTPUT sends standard output to a file
# of its own, such as /dev/full; STANDARD_INPUT reads standard input from a
# file.
string(REPLACE "|" ";" arguments "${ARGS}")
if(DEFINED FOLDER)
  file(REMOVE_RECURSE ${FOLDER})
  file(MAKE_DIRECTORY ${FOLDER})
endif()
if(DEFINED COPY)
  string(REPLACE "|" ";" copy "${COPY}")
  list(GET copy 0 from)
  list(GET copy 1 to)
  file(COPY_FILE ${from} ${to})
  # COPY <from> <to> READ_ONLY: the copy has no write permission.
  list(LENGTH copy count)
  if(count GREATER 2)
    file(CHMOD ${to} PERMISSIONS OWNER_READ GROUP_READ WORLD_READ)
  endif()
endif()
if(DEFINED ABSENT)
  file(REMOVE ${ABSENT})
endif()
# LINKS <link> <target>...: symbolic links in FOLDER, made before the run.
if(DEFINED LINKS)
  string(REPLACE "|" ";" links "${LINKS}")
  while(links)
    list(POP_FRONT links link target)
    file(CREATE_LINK ${target} ${FOLDER}/${link} SYMBOLIC)
  endwhile()
endif()

set(command ${EMULATOR} ${PROGRAM} ${arguments})
if(DEFINED LIMIT)
  # The signal is ignored so that a write past the limit fails and is
  # reported, as it would on a full disk, rather than ending the program.
  # (Lines, not semicolons, which would split the script into a list.)
  set(command sh -c "trap '' XFSZ\nulimit -f ${LIMIT}\nexec \"$@\"" sh ${command})
endif()
# In the test's own folder, so that a file written where it should not be
# shows there.
if(DEFINED FOLDER)
  set(where WORKING_DIRECTORY ${FOLDER})
endif()
if(DEFINED MEMORY)
  set(command sh -c "ulimit -v ${MEMORY}\nexec \"$@\"" sh ${command})
endif()
if(DEFINED STANDARD_OUTPUT)
  set(elsewhere STANDARD_OUTPUT ${STANDARD_OUTPUT})
endif()
if(DEFINED STANDARD_INPUT)
  list(APPEND elsewhere STANDARD_INPUT ${STANDARD_INPUT})
endif()
include(${CMAKE_CURRENT_LIST_DIR}/run_captured.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/../support/program_checks.cmake)
run_captured(status output error ${where} ${elsewhere} COMMAND ${command})

require_status("${status}" "${EXPECT_STATUS}" "${output}" "${error}")
if(DEFINED EXPECT_ERROR)
  require_error("${error}" "${EXPECT_ERROR}")
endif()
if(DEFINED EXPECT_OUTPUT)
  require_output("${output}" "${EXPECT_OUTPUT}" "${ACTUAL_OUTPUT}")
endif()
if(DEFINED MATCHES AND NOT output MATCHES "${MATCHES}")
  message(FATAL_ERROR "standard output does not match '${MATCHES}':\n${output}")
endif()
if(DEFINED ABSENT AND EXISTS ${ABSENT})
  message(FATAL_ERROR "${ABSENT} was written")
endif()
if(DEFINED SAME)
  string(REPLACE "|" ";" same "${SAME}")
  list(LENGTH same count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET same ${i} written)
    list(GET same ${j} expected)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${written} ${expected}
      RESULT_VARIABLE differs)
    if(differs)
      message(FATAL_ERROR "${written} differs from ${expected}")
    endif()
  endforeach()
endif()
if(DEFINED FOLDER)
  file(GLOB held RELATIVE ${FOLDER} LIST_DIRECTORIES true ${FOLDER}/* ${FOLDER}/.*)
  list(SORT held)
  string(REPLACE "|" ";" expected_files "${FILES}")
  list(SORT expected_files)
  if(NOT "${held}" STREQUAL "${expected_files}")
    message(FATAL_ERROR "${FOLDER} holds '${held}', expected '${expected_files}'")
  endif()
endif()
