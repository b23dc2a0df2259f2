# What the host program tells: the run's report in each form, warnings about
# documents and runs no real host would see, the differences between two
# documents, its help, and the format reference's schema.
set(WORKED ${DOCUMENTS}/worked_example.json)

host_program_test(report.as_json_for_scripts STATUS 0 OUTPUT report_worked_example_full_names.json
  ARGS run ${MODULE} ${WORKED} --command 1 --measures 5-12 --format json)
host_program_test(report.as_csv_changed_only STATUS 0 OUTPUT report_three_movements_changed.csv
  ARGS run ${MODULE} ${EXAMPLES}/three_movements.json --command 1 --measures 1-48 --format csv
       --changed-only)
host_program_test(report.as_table_changed_only STATUS 0 OUTPUT report_three_movements_changed.txt
  ARGS run ${MODULE} ${EXAMPLES}/three_movements.json --command 0 --measures 1-48 --changed-only)
host_program_test(report.in_no_known_format STATUS 2
  ERROR "^FINALE.EXE: format 'xml' is not one of table, json, csv\n$"
  ARGS run ${MODULE} ${WORKED} --command 0 --measures 1-5 --format xml)

# Warnings go to standard error; the run or check goes on.
set(WARNING "FINALE.EXE: warning: ")
document_test(warning.document_no_real_host_would_hold STATUS 0
  ERROR "^${WARNING}[^\n]*no_real_host.json: /systems/2/firstMeasure: system 3 starts at measure 3, as system 2 does\n${WARNING}[^\n]*/systems/3/firstMeasure: system 4 starts at measure 9, beyond the last measure \\(4\\)\n${WARNING}[^\n]*/systems/4/firstMeasure: system 5 starts at measure -2, which is negative\n${WARNING}[^\n]*/records: the parts page format misses all or part of 'ot77' inci 0, 'ot77' inci 1: the fields there cannot be read \\(the commands need none of them\\)\n${WARNING}[^\n]*/currentPart: part 3 cannot exist: each part shows at least one staff, and the document has 1 staff slot\n$"
  ARGS check ${DOCUMENTS}/no_real_host.json)
foreach(case
    "reversed|12-5|--measures 12-5 is reversed: it selects no measure"
    "outside|30-40|--measures 30-40 selects no measure of the document \\(the document's measures are 1 to 18\\)"
    "partly_outside|0-4|--measures 0-4 reaches outside the document \\(the document's measures are 1 to 18\\)")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 what)
  list(GET case 1 measures)
  list(GET case 2 warning)
  document_test(warning.selection_${what} STATUS 0 ERROR "^${WARNING}${warning}\n$"
    ARGS run ${MODULE} ${WORKED} --command 0 --measures ${measures})
endforeach()
document_test(warning.no_selection STATUS 0
  ERROR "^${WARNING}no --measures: the module is invoked without a selection, so a command on the selected measures has none to work on\n$"
  ARGS run ${MODULE} ${WORKED} --command 0)

# diff: 0 for the same, 1 for differences, 2 for any trouble.
host_program_test(diff.lists_each_difference STATUS 1 OUTPUT diff_worked_example.txt
  ARGS diff ${WORKED} ${DOCUMENTS}/worked_example_changed.json)
host_program_test(diff.what_a_command_changed STATUS 1 OUTPUT diff_three_movements_final_barlines.txt
  ARGS diff ${EXAMPLES}/three_movements.json ${EXPECTED}/three_movements_final_barlines.json)
host_program_test(diff.of_the_same_content STATUS 0 OUTPUT diff_none.txt
  ARGS diff ${WORKED} ${WORKED})
host_program_test(diff.of_a_bad_document STATUS 2
  ERROR "^FINALE.EXE: [^\n]*not_json.json: not valid JSON"
  ARGS diff ${WORKED} ${DOCUMENTS}/not_json.json)

# --help for the program and each verb: exit codes, the format reference.
foreach(verb "" menu run check diff)
  if(verb)
    set(suffix ${verb})
  else()
    set(suffix program)
  endif()
  document_test(help.${suffix} STATUS 0
    MATCHES "Usage: FINALE.EXE ${verb}.*docs/document-format.md.*Exit status: 0 done; 2 bad input"
    ARGS ${verb} --help)
endforeach()

# The schema beside the format reference, checked with Debian's validator:
# every example, test document and written document validates, so does the
# reference's own example, and documents the program refuses do not.
find_program(DEBIAN_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
file(GLOB VALID_DOCUMENTS ${EXAMPLES}/*.json ${EXPECTED}/*.json ${DOCUMENTS}/worked_example*.json
  ${DOCUMENTS}/no_real_host.json)
list(FILTER VALID_DOCUMENTS EXCLUDE REGEX "report_")
add_test(NAME e2e.schema.accepts_every_document_and_refuses_bad_ones
  COMMAND ${DEBIAN_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/validate_documents.py
    ${PROJECT_SOURCE_DIR}/docs/document.schema.json
    --valid ${VALID_DOCUMENTS}
    --invalid ${DOCUMENTS}/missing_field.json ${DOCUMENTS}/mistyped_field.json
      ${DOCUMENTS}/out_of_range.json ${DOCUMENTS}/wrong_size.json ${DOCUMENTS}/not_json.json
    --markdown ${PROJECT_SOURCE_DIR}/docs/document-format.md)
set_tests_properties(e2e.schema.accepts_every_document_and_refuses_bad_ones PROPERTIES LABELS e2e)

# The schema and the program agree on documents generated from a seed, each
# sound but for one to three changes at the edges of the format; where the
# format reference says that a schema cannot say a thing, the program
# refuses it.
if(CMAKE_CROSSCOMPILING)
  set(GENERATED_DOCUMENTS 100)  # each one a program started under Wine
else()
  set(GENERATED_DOCUMENTS 400)
endif()
add_test(NAME e2e.schema.agrees_with_the_program_on_generated_documents
  COMMAND ${DEBIAN_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/schema_against_reader.py
    ${PROJECT_SOURCE_DIR}/docs/document.schema.json $<TARGET_FILE:finale_exe>
    "--emulator=${CMAKE_CROSSCOMPILING_EMULATOR}" --seed 1812 --count ${GENERATED_DOCUMENTS}
    --folder ${WRITTEN}/generated)
# The longest of the tests: started first, where CTest has no times of an
# earlier run to order by.
set_tests_properties(e2e.schema.agrees_with_the_program_on_generated_documents PROPERTIES
  LABELS e2e TIMEOUT 600 COST 1000)
