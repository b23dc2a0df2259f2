# A field recording taken and used as a user's would be: a run with
# recording on, its recording replayed (reproduced, and recorded again byte
# for byte the same), imported, and the import run (the same table).
#   -DPROGRAM=... -DEMULATOR=... -DMODULE=... -DDOCUMENT=... -DCOMMAND=n
#   -DMEASURES=a-b -DWORK=dir [-DDIFFERS=regex [-DOTHER_MODULE=...] [-DOTHER_PROGRAM=...]]
#   [-DPYTHON=... -DVALIDATOR=... -DSCHEMA=...]
# With DIFFERS, the recording is also replayed against another module or
# by another host program, and must differ with a report matching DIFFERS.
# With PYTHON, the recording is checked against its schema.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/field ${WORK}/replayed)
set(run run ${MODULE} --command ${COMMAND} --measures ${MEASURES})

# run_program(<status> <stdout> <folder or "-"> args...): the host program,
# recording into the folder.
function(run_program status_variable output_variable folder)
  set(command ${EMULATOR} ${PROGRAM} ${ARGN})
  if(NOT folder STREQUAL "-")
    set(command ${CMAKE_COMMAND} -E env KARVO_INDENT_RECORD_DIR=${folder} ${command})
  endif()
  execute_process(COMMAND ${command}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE error)
  string(REPLACE "\r\n" "\n" output "${output}")
  set(${status_variable} "${status}" PARENT_SCOPE)
  set(${output_variable} "${output}" PARENT_SCOPE)
  set(last_error "${error}" PARENT_SCOPE)
endfunction()

function(expect_status status expected what)
  if(NOT "${status}" STREQUAL "${expected}")
    message(FATAL_ERROR "${what}: exit status ${status}, expected ${expected}\n${last_error}")
  endif()
endfunction()

run_program(status field ${WORK}/field run ${MODULE} ${DOCUMENT} --command ${COMMAND}
  --measures ${MEASURES})
expect_status("${status}" 0 "the run in the field")
file(GLOB recordings RELATIVE ${WORK}/field ${WORK}/field/*)
if(NOT recordings STREQUAL "karvo-indent-0000000001.json")
  message(FATAL_ERROR "the field's folder holds '${recordings}', expected one recording")
endif()
set(recording ${WORK}/field/karvo-indent-0000000001.json)

if(DEFINED PYTHON)
  execute_process(COMMAND ${PYTHON} ${VALIDATOR} ${SCHEMA} --valid ${recording}
    RESULT_VARIABLE status OUTPUT_VARIABLE output)
  expect_status("${status}" 0 "the recording against its schema: ${output}")
endif()

run_program(status replayed ${WORK}/replayed replay ${MODULE} ${recording})
expect_status("${status}" 0 "the replay")
if(NOT replayed MATCHES "^reproduced: [1-9][0-9]* calls, [0-9]+ saves\n$")
  message(FATAL_ERROR "the replay reports:\n${replayed}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${recording}
  ${WORK}/replayed/karvo-indent-0000000001.json RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "the replay, recorded, is not the field's recording")
endif()

run_program(status imported - import ${recording} --output ${WORK}/imported.json)
expect_status("${status}" 0 "the import")
run_program(status table - run ${MODULE} ${WORK}/imported.json --command ${COMMAND}
  --measures ${MEASURES})
expect_status("${status}" 0 "the run on the import")
if(NOT table STREQUAL field)
  message(FATAL_ERROR "the run on the import reports\n${table}\nthe field's run\n${field}")
endif()

if(DEFINED DIFFERS)
  if(DEFINED OTHER_PROGRAM)
    set(PROGRAM ${OTHER_PROGRAM})
  endif()
  if(DEFINED OTHER_MODULE)
    set(MODULE ${OTHER_MODULE})
  endif()
  run_program(status differed - replay ${MODULE} ${recording})
  expect_status("${status}" 1 "the replay elsewhere")
  if(NOT differed MATCHES "${DIFFERS}")
    message(FATAL_ERROR "the replay elsewhere reports:\n${differed}")
  endif()
endif()
