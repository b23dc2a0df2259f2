# Command lines the program cannot take: one line, status 2, and nothing
# run; the first fault named, however many there are. An option given twice
# or without its value is refused in the command-line library's words, which
# name the option first. (A "." in a message stands for ";" or "[", which
# would split the case; an argument given as "" cannot be passed through it
# at all.)
set(RUN_THREE run ${MODULE} ${EXAMPLES}/three_movements.json)
foreach(case
    "unknown_option_before_a_missing_module|menu;--frob|unknown option '--frob' for menu. FINALE.EXE menu --help lists them"
    "option_given_twice|${RUN_THREE};--command;0;--format;json;--format;csv|--format: [^\n]+"
    "option_without_its_value|${RUN_THREE};--command;0;--measures|--measures: [^\n]+"
    "measures_without_a_value_after_equals|${RUN_THREE};--command;0;--measures=|--measures: [^\n]+"
    "argument_too_many|check;${EXAMPLES}/minimal.json;${EXAMPLES}/minimal.json|check takes no more arguments: '[^']*minimal.json' is too many. FINALE.EXE check --help says what to give"
    "no_command|--frob|no command given. FINALE.EXE --help lists the commands"
    "recording_from_standard_input|import;-;--output;-|cannot read '-': only a document is read from standard input. give the file's path \\(./- for a file named -\\)"
    "in_place_over_standard_input|${RUN_ALL};-;--in-place|--in-place replaces the input document, and standard input is no file to replace: give the document's path, or --output"
    "both_documents_from_standard_input|diff;-;-|standard input holds one document: give the other one's path"
    "module_from_standard_input|menu;-|'-' would be standard input, which FINALE.EXE reads no module from. give the module's path \\(./- for a file named -\\)")
  string(REPLACE "|" ";" case "${case}")
  list(POP_FRONT case name)
  list(POP_BACK case message)
  document_test(bad_input.${name} STATUS 2 ERROR "^FINALE.EXE: ${message}\n$" ARGS ${case})
endforeach()

# "-" as the document reads standard input, for run, check and diff; an
# empty one is named as standard input.
document_test(document.checked_from_standard_input STATUS 0 OUTPUT ${DOCUMENT}
  STANDARD_INPUT ${DOCUMENT} ARGS check - --output -)
document_test(document.run_over_standard_input STATUS 0 OUTPUT ${CHANGED}
  STANDARD_INPUT ${DOCUMENT} ARGS ${RUN_ALL} - --output -)
document_test(document.compared_with_standard_input STATUS 1
  MATCHES "leftIndent: 0 -> 144\n.*[0-9]+ differences\n$"
  STANDARD_INPUT ${DOCUMENT} ARGS diff - ${CHANGED})
document_test(bad_document.empty_standard_input STATUS 2
  ERROR "^FINALE.EXE: standard input: not valid JSON: parse error at line 1, column 1: "
  ARGS check -)

# The program's version and the commit it was built from.
document_test(program.version STATUS 0
  MATCHES "^FINALE.EXE [0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+, built from commit [0-9a-f]+( with local changes)?\n$"
  ARGS --version)

# A menu index may be written in hexadecimal, as the message for one out of
# range says.
document_test(run.menu_index_in_hexadecimal STATUS 0
  MATCHES "\ncommand: index 1, \"Indent System/Show Full Names\"\n"
  ARGS ${RUN_THREE} --command 0x1 --measures 1-48)

# Documents no verb may fail on: nesting 65,000 deep, a number no double
# holds, control characters in a key. Each is bad input, named with its
# place, the control characters escaped.
set(DEEP ${WRITTEN}/deep.json)
if(NOT EXISTS ${DEEP})
  string(REPEAT "[" 65000 opening)
  string(REPEAT "]" 65000 closing)
  file(WRITE ${DEEP} "{\"description\": ${opening}${closing}}")
endif()
file(WRITE ${WRITTEN}/huge_number.json "{\"hostVersion\": 1e400}")
file(WRITE ${WRITTEN}/control_key.json "{\"\\u001b[2J\": 1}")
set(DEEP_PLACE "/description(/0)+: values nested more than 32 deep. a document nests them at most 3 deep")
foreach(case
    "deep_check|${DEEP_PLACE}|check;${DEEP}"
    "deep_diff|${DEEP_PLACE}|diff;${EXAMPLES}/minimal.json;${DEEP}"
    "deep_run|${DEEP_PLACE}|run;${MODULE};${DEEP};--command;0"
    "number_beyond_a_double|/hostVersion: the number 1e400 is out of range for any value of a document|check;${WRITTEN}/huge_number.json"
    "control_characters_in_a_key|/\\\\u001B.2J: unknown field. expected one of description, |check;${WRITTEN}/control_key.json")
  string(REPLACE "|" ";" case "${case}")
  list(POP_FRONT case name message)
  document_test(bad_document.${name} STATUS 2 ERROR "^FINALE.EXE: [^\n]*.json: ${message}" ARGS ${case})
endforeach()

# A module that cannot be loaded is named alone: no warning about the run
# that never happens comes before it.
document_test(bad_input.missing_module_before_any_warning_about_the_run STATUS 2
  ERROR "^FINALE.EXE: no plug-in module at '[^']*nowhere.fxt'\n$"
  ARGS run ${CMAKE_CURRENT_BINARY_DIR}/nowhere.fxt ${EXAMPLES}/three_movements.json --command 0)
