# The files the host program writes and reads. An output is written whole or
# not at all, and every output is checked before the module runs; input it
# cannot trust is refused. Each test has a folder of its own, which must
# hold exactly the files named after the run: no stray or half-written file.
set(SPACE ${WRITTEN}/files)
set(DOCUMENT ${EXAMPLES}/three_movements.json)
set(CHANGED ${EXPECTED}/three_movements_final_barlines.json)
set(RUN_ALL run ${MODULE} --command 0 --measures 1-48)
# Documents take some 11 KB and pictures 15 KB: under this limit neither can
# be written whole, as on a disk that is nearly full.
set(FULL_DISK 8)

# files_test(<name> ...): document_test in the folder ${SPACE}/<name>.
function(files_test name)
  document_test(files.${name} FOLDER ${SPACE}/${name} ${ARGN})
endfunction()

files_test(in_place_on_a_full_disk_keeps_the_document STATUS 1 LIMIT ${FULL_DISK}
  ERROR "^FINALE.EXE: cannot write '[^']*doc.json': [^\n]+\n$"
  COPY ${DOCUMENT} ${SPACE}/in_place_on_a_full_disk_keeps_the_document/doc.json
  SAME ${SPACE}/in_place_on_a_full_disk_keeps_the_document/doc.json ${DOCUMENT}
  FILES doc.json
  ARGS ${RUN_ALL} ${SPACE}/in_place_on_a_full_disk_keeps_the_document/doc.json --in-place)
files_test(outputs_on_a_full_disk_leave_the_old_ones STATUS 1 LIMIT ${FULL_DISK}
  ERROR "^FINALE.EXE: cannot write '[^']*changed.json': [^\n]+\n$"
  COPY ${CHANGED} ${SPACE}/outputs_on_a_full_disk_leave_the_old_ones/changed.json
  SAME ${SPACE}/outputs_on_a_full_disk_leave_the_old_ones/changed.json ${CHANGED}
  FILES changed.json
  ARGS ${RUN_ALL} ${DOCUMENT} --output changed.json --svg picture.svg)
files_test(one_output_without_its_folder_writes_none STATUS 2
  ERROR "^FINALE.EXE: --svg: cannot write 'nowhere/picture.svg': No such file or directory\n$"
  ARGS ${RUN_ALL} ${DOCUMENT} --output changed.json --trace calls.txt --svg nowhere/picture.svg)
files_test(two_outputs_to_one_file STATUS 2
  ERROR "^FINALE.EXE: --svg './same' is the file --output writes; give each output a file of its own\n$"
  ARGS ${RUN_ALL} ${DOCUMENT} --output same --svg ./same)
files_test(two_outputs_to_standard_output STATUS 2
  ERROR "^FINALE.EXE: --output and --trace both ask for standard output; give one of them a file\n$"
  ARGS ${RUN_ALL} ${DOCUMENT} --output - --trace -)
files_test(output_over_the_module STATUS 2
  ERROR "^FINALE.EXE: --trace '[^']*' is the plug-in module; write elsewhere"
  ARGS ${RUN_ALL} ${DOCUMENT} --trace ${MODULE})
files_test(output_that_is_a_folder STATUS 2
  ERROR "^FINALE.EXE: --output '\\.' is a folder; name a file in it\n$"
  ARGS ${RUN_ALL} ${DOCUMENT} --output .)
files_test(output_over_a_read_only_file STATUS 2
  ERROR "^FINALE.EXE: --output: cannot write 'kept.json': Permission denied \\(the file is read-only\\)\n$"
  COPY ${CHANGED} ${SPACE}/output_over_a_read_only_file/kept.json READ_ONLY
  SAME ${SPACE}/output_over_a_read_only_file/kept.json ${CHANGED}
  FILES kept.json
  ARGS ${RUN_ALL} ${DOCUMENT} --output kept.json)
files_test(in_place_with_an_output STATUS 2
  ERROR "^FINALE.EXE: --in-place writes over the input document; give no --output with it\n$"
  ARGS ${RUN_ALL} ${DOCUMENT} --in-place --output changed.json)
files_test(every_output_is_written STATUS 0
  SAME ${SPACE}/every_output_is_written/changed.json ${CHANGED}
       ${SPACE}/every_output_is_written/picture.svg ${EXPECTED}/three_movements_final_barlines.svg
  FILES changed.json picture.svg calls.txt
  ARGS ${RUN_ALL} ${DOCUMENT} --output changed.json --svg picture.svg --trace calls.txt)

# --measures and --changed-only limit the picture as they limit the report,
# and its legend says how many systems it shows.
files_test(picture_of_the_selection STATUS 0
  MATCHES ">4 of the 12 systems shown: those in the selection, and any the run changed \\(--measures\\)<"
  ARGS run ${MODULE} --command 0 --measures 5-20 ${DOCUMENT} --svg -)
files_test(picture_of_the_changed_systems STATUS 0
  MATCHES ">1 of the 12 systems shown: those the run changed \\(--changed-only\\)<"
  ARGS run ${MODULE} --command 0 --measures 5-20 ${DOCUMENT} --svg - --changed-only)

# "-" is standard output, never a file of that name; the report then goes to
# standard error, out of the data's way.
files_test(changed_document_to_standard_output STATUS 0 OUTPUT ${CHANGED}
  ERROR "^handshake: host version 0x12000000"
  ARGS ${RUN_ALL} ${DOCUMENT} --output -)
files_test(picture_to_standard_output STATUS 0
  OUTPUT ${EXPECTED}/three_movements_final_barlines.svg
  ARGS ${RUN_ALL} ${DOCUMENT} --svg -)
files_test(checked_document_to_standard_output STATUS 0 OUTPUT ${DOCUMENT}
  ERROR "^host version 0x12000000, the score is viewed\n"
  ARGS check ${DOCUMENT} --output -)
files_test(trace_to_standard_output_beside_a_json_report STATUS 2
  ERROR "^FINALE.EXE: --trace - would mix the trace into the json report; write the trace to a file\n$"
  ARGS ${RUN_ALL} ${DOCUMENT} --trace - --format json)

# Input that cannot be trusted is refused with one line and status 2.
set(OVERSIZED ${WRITTEN}/oversized.json)
if(NOT EXISTS ${OVERSIZED})
  string(REPEAT "                " 1100000 blanks)
  file(WRITE ${OVERSIZED} "${blanks}")
endif()
foreach(fault
    "folder|${EXAMPLES}|a folder, not a file"
    "missing|${EXAMPLES}/nowhere.json|No such file or directory"
    "oversized|${OVERSIZED}|larger than the limit of 16 MiB")
  string(REPLACE "|" ";" fault "${fault}")
  list(GET fault 0 what)
  list(GET fault 1 path)
  list(GET fault 2 reason)
  files_test(input_${what}_is_refused STATUS 2
    ERROR "^FINALE.EXE: cannot read '[^']*': ${reason}\n$"
    ARGS ${RUN_ALL} ${path} --output changed.json)
endforeach()
document_test(bad_document.duplicate_key STATUS 2
  ERROR "^FINALE.EXE: [^\n]*duplicate_key.json: /systems/1/leftIndent: given twice in one object; keep one of them\n$"
  ARGS check ${DOCUMENTS}/duplicate_key.json)

# Running out of memory is one line and status 1, not an abort, even while
# a large document is half read (the sanitizers keep memory of their own).
if(NOT WIN32 AND NOT CMAKE_CXX_FLAGS MATCHES "sanitize")
  set(LARGE ${WRITTEN}/many_records.json)
  if(NOT EXISTS ${LARGE})
    string(REPEAT "{\"tag\": \"otXX\", \"item\": 1, \"inci\": 0, \"bytes\": \"00\"}, " 150000 records)
    file(WRITE ${LARGE} "{\"records\": [${records}{}]}")
  endif()
  files_test(out_of_memory STATUS 1 MEMORY 60000
    ERROR "^FINALE.EXE: out of memory\n$"
    ARGS check ${LARGE})
endif()

if(NOT WIN32)
  # Devices: the program must neither read one without end nor replace one.
  files_test(input_device_is_refused STATUS 2
    ERROR "^FINALE.EXE: cannot read '/dev/zero': not a regular file \\(a device, pipe or socket\\)\n$"
    ARGS check /dev/zero)
  files_test(output_device_is_refused STATUS 2
    ERROR "^FINALE.EXE: --output '/dev/null' is not a regular file; write to a file, or to standard output with -\n$"
    ARGS ${RUN_ALL} ${DOCUMENT} --output /dev/null)
endif()

# --in-place replaces only the document it read: one that another program
# changed meanwhile stays as that program left it, the run fails, and no
# other output is written either.
set(MEANWHILE ${SPACE}/in_place_over_a_document_changed_meanwhile)
file(READ ${DOCUMENT} document_text)
file(WRITE ${WRITTEN}/changed_meanwhile.json "${document_text}\n")
files_test(in_place_over_a_document_changed_meanwhile STATUS 1
  ERROR "^FINALE.EXE: cannot write '[^']*doc.json': it changed after it was read \\(another program wrote it\\); nothing was replaced: run again on what it holds now\n$"
  COPY ${DOCUMENT} ${MEANWHILE}/doc.json
  SAME ${MEANWHILE}/doc.json ${WRITTEN}/changed_meanwhile.json
  FILES doc.json
  ARGS run $<TARGET_FILE:changes_the_document> ${MEANWHILE}/doc.json --command 0 --measures 1-2
       --in-place --trace calls.txt)
set_tests_properties(e2e.files.in_place_over_a_document_changed_meanwhile PROPERTIES
  ENVIRONMENT KARVO_DOCUMENT_CHANGED_MEANWHILE=${MEANWHILE}/doc.json)

# Standard output is written to the last byte or the run fails: status 1,
# and 2 for diff and replay, whose 1 says that the documents differ or that
# the module answered otherwise.
foreach(case
    "checked_document|1|check|${DOCUMENT}|--output|-"
    "changed_document|1|run|${MODULE}|${DOCUMENT}|--command|0|--measures|1-48|--output|-"
    "picture|1|run|${MODULE}|${DOCUMENT}|--command|0|--measures|1-48|--svg|-"
    "report|1|run|${MODULE}|${DOCUMENT}|--command|0|--measures|1-48"
    "help|1|run|--help"
    "differences|2|diff|${DOCUMENT}|${CHANGED}"
    "replay_help|2|replay|--help")
  string(REPLACE "|" ";" case "${case}")
  list(POP_FRONT case what status)
  files_test(standard_output_on_a_full_disk.${what} STATUS ${status} STANDARD_OUTPUT /dev/full
    ERROR "FINALE.EXE: cannot write standard output: No space left on device\n$"
    ARGS ${case})
endforeach()

# A link that leads in a loop is refused; one that leads to no file yet
# makes that file (Windows names no target for it).
files_test(output_through_links_in_a_loop STATUS 2
  ERROR "^FINALE.EXE: --output: cannot write 'one.json': Too many levels of symbolic links\n$"
  LINKS one.json two.json two.json one.json
  FILES one.json two.json
  ARGS check ${DOCUMENT} --output one.json)
if(NOT WIN32)
  files_test(output_through_a_link_to_no_file STATUS 0
    LINKS link.json made.json
    SAME ${SPACE}/output_through_a_link_to_no_file/made.json ${DOCUMENT}
    FILES link.json made.json
    ARGS check ${DOCUMENT} --output link.json)
endif()

# Ctrl-C between two outputs taking their places: the signal waits until
# every output is in place, and the run ends as interrupted, not with 0. A
# host program of its own says when it is between the two and waits for the
# signal to arrive.
find_program(DEBIAN_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
add_standin_host_program(interrupted_finale_exe NAME FINALE.EXE
  DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/interrupted)
target_sources(interrupted_finale_exe PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/interrupted_between_commits.cpp)
add_test(NAME e2e.files.interrupted_between_two_commits_puts_every_output_in_place
  COMMAND ${DEBIAN_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/interrupt_between_commits.py
    ${SPACE}/interrupted_between_two_commits ${DOCUMENT} ${CHANGED}
    "${CMAKE_CROSSCOMPILING_EMULATOR}" $<TARGET_FILE:interrupted_finale_exe> ${MODULE})
set_tests_properties(e2e.files.interrupted_between_two_commits_puts_every_output_in_place
  PROPERTIES LABELS e2e)
