# Field recordings: a run recorded as a user's would be, replayed (the same
# calls, and the same recording again), imported and run (the same table),
# on every example under both commands; replayed against a module with one
# decision changed; recordings cut short or changed, refused; and recording
# that cannot be made whole changing nothing the host sees.
find_program(DEBIAN_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
set(RECORDED ${CMAKE_CURRENT_BINARY_DIR}/recorded)
set(MINIMAL_RECORDING ${PROJECT_SOURCE_DIR}/tests/standin/recordings/minimal_final_barlines.json)

# A module with one decision changed: a system after a final barline gets
# the system indent, every other one the first-system indent. It is the
# plug-in's own objects, but for its rule, which changed_final_barline_rule.cpp
# gives instead.
add_library(changed_decision_module MODULE
  $<FILTER:$<TARGET_OBJECTS:karvo_shell>,EXCLUDE,rule_after_final_barline>
  ${CMAKE_CURRENT_SOURCE_DIR}/changed_final_barline_rule.cpp)
karvo_plugin_code(changed_decision_module)
target_link_libraries(changed_decision_module PRIVATE
  karvo_framework karvo_hostdata karvo_recording_writer karvo_platform karvo_platform_files)
set_target_properties(changed_decision_module PROPERTIES PREFIX "" SUFFIX ".fxt"
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/changed_decision
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/changed_decision)

set(record_and_replay ${CMAKE_COMMAND}
  -DPROGRAM=$<TARGET_FILE:finale_exe>
  "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
  -DMODULE=${MODULE}
  -DPYTHON=${DEBIAN_PYTHON}
  -DVALIDATOR=${CMAKE_CURRENT_SOURCE_DIR}/validate_documents.py
  -DSCHEMA=${PROJECT_SOURCE_DIR}/interface/recording/recording.schema.json)
foreach(example
    "three_movements|1-48" "full_names|1-32" "part_view|1-24" "not_laid_out|1-20" "minimal|1-4")
  string(REPLACE "|" ";" example "${example}")
  list(GET example 0 name)
  list(GET example 1 measures)
  foreach(command 0 1)
    add_test(NAME e2e.recording.${name}_command_${command}_replays_and_imports
      COMMAND ${record_and_replay} -DDOCUMENT=${EXAMPLES}/${name}.json -DCOMMAND=${command}
        -DMEASURES=${measures} -DWORK=${RECORDED}/${name}_${command}
        -P ${CMAKE_CURRENT_SOURCE_DIR}/record_and_replay.cmake)
  endforeach()
endforeach()
# The first system whose indent the changed decision gives otherwise is the
# second: no final barline before it.
add_test(NAME e2e.recording.a_changed_decision_is_the_first_difference
  COMMAND ${record_and_replay} -DDOCUMENT=${EXAMPLES}/three_movements.json -DCOMMAND=0
    -DMEASURES=1-48 -DWORK=${RECORDED}/changed_decision
    -DOTHER_MODULE=$<TARGET_FILE:changed_decision_module>
    "-DDIFFERS=^differs at call 74 of 84:\n  expected: FX_SaveEData 'SOSS' \\(2,0\\) length 28 v=0x19000000\n  got:      FX_SaveEData 'SOSS' \\(2,0\\) length 28 v=0x19000000\n  bytes handed over, expected \\| got:\n       0  02 01 00 00 d8 ff 90 ff \\| 02 01 90 00 d8 ff 90 ff  <-\n([^\n]*\n)*  fields that differ, expected -> got:\n    leftIndent: 0 -> 144\n$"
    -P ${CMAKE_CURRENT_SOURCE_DIR}/record_and_replay.cmake)
# In a host that lacks functions: the recording names them, a host that
# lacks them too reproduces it, and one that has them is told why not.
add_test(NAME e2e.recording.a_host_that_lacks_functions_replays_in_one_that_lacks_them_too
  COMMAND ${record_and_replay} -DPROGRAM=$<TARGET_FILE:bare_finale_exe>
    -DDOCUMENT=${EXAMPLES}/not_laid_out.json -DCOMMAND=0 -DMEASURES=1-20
    -DWORK=${RECORDED}/bare -DOTHER_PROGRAM=$<TARGET_FILE:finale_exe>
    "-DDIFFERS=^differs at call 2 of [0-9]+:\n  expected: FX_NextEData [^\n]*\n  got:      FX_GetCurrentEnigmaDocument v=0x19000000\n  the recorded host lacked FX_GetCurrentEnigmaDocument, which this host program has: replay with one that lacks it too\n$"
    -P ${CMAKE_CURRENT_SOURCE_DIR}/record_and_replay.cmake)

set(bad_recording ${CMAKE_COMMAND}
  -DPROGRAM=$<TARGET_FILE:finale_exe>
  "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
  -DMODULE=${MODULE}
  -DSOURCE=${MINIMAL_RECORDING})
foreach(bad
    "empty|truncated: |-DCUT=0"
    "cut_in_a_call|truncated: |-DCUT=2000"
    "without_its_last_line_end|truncated: the text does not end with the line end|-DCUT=-1"
    "of_another_format_version|format version 2: this program reads format version 1 only|-DFROM=\"formatVersion\": 1|-DTO=\"formatVersion\": 2"
    "incomplete|incomplete: the recording reached its bound of 16 MiB|-DFROM=\"complete\": true|-DTO=\"complete\": false, \"incomplete\": \"the recording reached its bound of 16 MiB: the calls after call 3 are not in it\""
    "with_a_key_given_twice|/calls/0/size: given twice in one object; keep one of them|-DFROM=\"size\": 28|-DTO=\"size\": 28, \"size\": 2147483647"
    "with_an_impossible_size|/calls/0/size: an impossible size: the host reports a record of 2147483647 bytes|-DFROM=\"size\": 28|-DTO=\"size\": 2147483647")
  string(REPLACE "|" ";" bad "${bad}")
  list(POP_FRONT bad name message)
  add_test(NAME e2e.recording.refuses_a_recording_${name}
    COMMAND ${bad_recording} "-DERROR=${message}" ${bad} -DWORK=${RECORDED}/bad_${name}
      -P ${CMAKE_CURRENT_SOURCE_DIR}/bad_recording.cmake)
endforeach()
# What the module answers itself, the handshake and the invoke's result,
# is compared as its calls are.
foreach(changed
    "interface_version|differs at the handshake: expected interface version 0x0E020000, got 0x0E010000\n|\"interfaceVersion\": \"0x0E010000\"|\"interfaceVersion\": \"0x0E020000\""
    "invoke_result|differs at the end: the invoke answered 1, the recording 0\n|\"invokeResult\": 1|\"invokeResult\": 0")
  string(REPLACE "|" ";" changed "${changed}")
  list(POP_FRONT changed name report from to)
  add_test(NAME e2e.recording.replay_reports_a_changed_${name}
    COMMAND ${bad_recording} "-DDIFFERS=${report}" "-DFROM=${from}" "-DTO=${to}"
      -DWORK=${RECORDED}/changed_${name} -P ${CMAKE_CURRENT_SOURCE_DIR}/bad_recording.cmake)
endforeach()
# A recording made by another version of the module still replays, and the
# report says so first.
add_test(NAME e2e.recording.replay_notes_another_module_version
  COMMAND ${bad_recording} "-DFROM=\"module\": \"" "-DTO=\"module\": \"7."
    "-DREPRODUCED=note: the recording was made by module 7\\.[0-9.]+. replayed with module [0-9.]+ in FINALE\\.EXE [0-9.]+\nreproduced: 24 calls, 2 saves\n"
    -DWORK=${RECORDED}/another_module_version -P ${CMAKE_CURRENT_SOURCE_DIR}/bad_recording.cmake)
add_test(NAME e2e.recording.refuses_a_document_as_a_recording
  COMMAND ${bad_recording} -DSOURCE=${EXAMPLES}/minimal.json
    "-DERROR=not a recording of the Karvo Indent System plug-in" -DWORK=${RECORDED}/bad_document
    -P ${CMAKE_CURRENT_SOURCE_DIR}/bad_recording.cmake)

# Recording on where it cannot be made whole.
set(large_document ${CMAKE_CURRENT_BINARY_DIR}/large_document.json)
add_custom_command(OUTPUT ${large_document}
  COMMAND ${DEBIAN_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/large_document.py 20000
    ${EXAMPLES}/minimal.json ${large_document}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/large_document.py ${EXAMPLES}/minimal.json
  VERBATIM)
add_custom_target(large_document ALL DEPENDS ${large_document})
set(conditions "unwritable_folder|three_movements.json|1-48" "full_disk|three_movements.json|1-48")
# A run of 120,000 calls, traced and recorded, takes the sanitizers minutes:
# there the unit test InvokeRecording.PastItsBoundEndsAtAWholeCallMarkedIncomplete
# shows the bound.
if(NOT CMAKE_CXX_FLAGS MATCHES "sanitize")
  list(APPEND conditions "past_the_bound|large|1-20000")
endif()
foreach(condition ${conditions})
  string(REPLACE "|" ";" condition "${condition}")
  list(POP_FRONT condition name document measures)
  if(document STREQUAL "large")
    set(document ${large_document})
  else()
    set(document ${EXAMPLES}/${document})
  endif()
  add_test(NAME e2e.recording.${name}_changes_nothing_the_host_sees
    COMMAND ${CMAKE_COMMAND}
      -DPROGRAM=$<TARGET_FILE:finale_exe>
      "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
      -DMODULE=${MODULE} -DDOCUMENT=${document} -DCOMMAND=0 -DMEASURES=${measures}
      -DWORK=${RECORDED}/${name} -DCONDITION=${name}
      -P ${CMAKE_CURRENT_SOURCE_DIR}/recording_never_changes_the_command.cmake)
endforeach()

# Each verb's help says what it prints and what its exit status means.
document_test(recording.replay_help STATUS 0
  MATCHES "Usage: FINALE.EXE replay.*\"reproduced: N calls, M saves\".*Exit status: 0 reproduced; 1 a difference; 2 a recording it cannot read.*docs/recording.md"
  ARGS replay --help)
document_test(recording.import_help STATUS 0
  MATCHES "Usage: FINALE.EXE import.*Records the module never loaded are absent.*Exit status: 0 done"
  ARGS import --help)
host_program_test(recording.import_needs_an_output STATUS 2
  ERROR "^FINALE.EXE: import needs --output; FINALE.EXE import --help says what to give\n$" ARGS import ${MINIMAL_RECORDING})

# The schema beside the format reference: the recordings the module made
# and the reference's own example validate; a document does not.
file(GLOB module_recordings ${PROJECT_SOURCE_DIR}/tests/standin/recordings/*.json)
add_test(NAME e2e.recording.schema_accepts_recordings_and_refuses_documents
  COMMAND ${DEBIAN_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/validate_documents.py
    ${PROJECT_SOURCE_DIR}/interface/recording/recording.schema.json
    --valid ${module_recordings} --invalid ${EXAMPLES}/minimal.json
    --markdown ${PROJECT_SOURCE_DIR}/docs/recording.md)

# The schema against both sides of the format: the recording the module
# writes validates and is read; changed at the edges of the format, the
# schema and the reader agree, but where the format reference says a schema
# cannot say it and the reader refuses.
add_test(NAME e2e.recording.schema_holds_the_writer_and_agrees_with_the_reader
  COMMAND ${DEBIAN_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/recording_schema_against_reader.py
    ${PROJECT_SOURCE_DIR}/interface/recording/recording.schema.json $<TARGET_FILE:finale_exe>
    ${MODULE} ${EXAMPLES}/minimal.json "--emulator=${CMAKE_CROSSCOMPILING_EMULATOR}"
    --folder ${RECORDED}/schema_against_reader)

get_property(recording_tests DIRECTORY PROPERTY TESTS)
list(FILTER recording_tests INCLUDE REGEX "^e2e\\.recording\\.")
set_tests_properties(${recording_tests} PROPERTIES LABELS e2e)
