# Recording on, where it cannot be made whole, changes nothing the host
# sees: the run's calls and results are the same as with recording off.
#   -DPROGRAM=... -DEMULATOR=... -DMODULE=... -DDOCUMENT=... -DCOMMAND=n -DMEASURES=a-b
#   -DWORK=dir -DCONDITION=unwritable_folder|full_disk|past_the_bound
# unwritable_folder: the variable names a file. full_disk: a file may
# hold 4 KB. past_the_bound: the recording outgrows 16 MiB, and is kept
# marked incomplete, which replay refuses.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/folder)
set(arguments run ${MODULE} ${DOCUMENT} --command ${COMMAND} --measures ${MEASURES} --trace -)

execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${arguments}
  RESULT_VARIABLE status OUTPUT_VARIABLE unrecorded ERROR_VARIABLE error)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the run without recording: exit status ${status}\n${error}")
endif()

set(folder ${WORK}/folder)
if(CONDITION STREQUAL "unwritable_folder")
  set(folder ${WORK}/folder/a-file)
  file(WRITE ${folder} "not a folder")
endif()
set(command ${EMULATOR} ${PROGRAM} ${arguments})
if(CONDITION STREQUAL "full_disk")
  # Ignored, the signal lets a write past the limit fail as on a full disk.
  # (Inside the setting of the variable: cmake -E env gives its program
  # every signal back.)
  # (Under Wine the program is a client of the server that stays for the
  # whole test run, started outside the limit: scripts/wine-server.)
  set(command sh -c "trap '' XFSZ\nulimit -f 8\nexec \"$@\"" sh ${command})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env KARVO_INDENT_RECORD_DIR=${folder} ${command}
  RESULT_VARIABLE status OUTPUT_VARIABLE recorded
  ERROR_VARIABLE error)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the run with recording: exit status ${status}\n${error}")
endif()
if(NOT recorded STREQUAL unrecorded)
  message(FATAL_ERROR "the host saw another run with recording on")
endif()

file(GLOB held RELATIVE ${WORK}/folder ${WORK}/folder/*)
if(CONDITION STREQUAL "unwritable_folder")
  set(expected a-file)
elseif(CONDITION STREQUAL "full_disk")
  set(expected "")
else()
  set(expected karvo-indent-0000000001.json)
endif()
if(NOT "${held}" STREQUAL "${expected}")
  message(FATAL_ERROR "the folder holds '${held}', expected '${expected}'")
endif()

if(CONDITION STREQUAL "past_the_bound")
  set(recording ${WORK}/folder/karvo-indent-0000000001.json)
  file(SIZE ${recording} size)
  if(size GREATER 16777216 OR size LESS 16000000)
    message(FATAL_ERROR "the recording holds ${size} bytes, expected up to 16 MiB")
  endif()
  execute_process(COMMAND ${EMULATOR} ${PROGRAM} replay ${MODULE} ${recording}
    RESULT_VARIABLE status ERROR_VARIABLE error)
  string(REPLACE "\r\n" "\n" error "${error}")
  if(NOT status EQUAL 2 OR NOT error MATCHES
     "^FINALE.EXE: [^\n]*karvo-indent-0000000001.json: incomplete: the recording reached its bound of 16 MiB: the calls after call [0-9]+ are not in it; only a whole recording can be replayed or imported\n$")
    message(FATAL_ERROR "replay of the incomplete recording: exit status ${status}\n${error}")
  endif()
endif()
