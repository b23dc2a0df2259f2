# run_captured(<status var> <output var> <error var> [STANDARD_OUTPUT <file>]
#              [WORKING_DIRECTORY <dir>] [STANDARD_INPUT <file>] COMMAND <command...>)
# runs a command with its standard output and error in files, not pipes:
# Wine starts a program whose output is a pipe some twenty times slower.
# STANDARD_OUTPUT sends standard output to that file (such as /dev/full)
# instead; the output variable is then empty. Standard input is empty
# unless STANDARD_INPUT names a file to read it from.
function(run_captured status_var output_var error_var)
  cmake_parse_arguments(ARG "" "STANDARD_OUTPUT;WORKING_DIRECTORY;STANDARD_INPUT" "COMMAND" ${ARGN})
  set(input_file /dev/null)
  if(ARG_STANDARD_INPUT)
    set(input_file ${ARG_STANDARD_INPUT})
  endif()
  string(RANDOM LENGTH 16 unique)
  set(output_file ${CMAKE_CURRENT_BINARY_DIR}/captured-${unique}.out)
  set(error_file ${CMAKE_CURRENT_BINARY_DIR}/captured-${unique}.err)
  if(ARG_STANDARD_OUTPUT)
    set(output_file ${ARG_STANDARD_OUTPUT})
  endif()
  if(ARG_WORKING_DIRECTORY)
    set(where WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY})
  endif()
  execute_process(COMMAND ${ARG_COMMAND} ${where}
    INPUT_FILE ${input_file}
    OUTPUT_FILE ${output_file}
    ERROR_FILE ${error_file}
    RESULT_VARIABLE status)
  set(output "")
  if(NOT ARG_STANDARD_OUTPUT)
    file(READ ${output_file} output)
    file(REMOVE ${output_file})
  endif()
  file(READ ${error_file} error)
  file(REMOVE ${error_file})
  string(REPLACE "\r\n" "\n" output "${output}")
  string(REPLACE "\r\n" "\n" error "${error}")
  set(${status_var} "${status}" PARENT_SCOPE)
  set(${output_var} "${output}" PARENT_SCOPE)
  set(${error_var} "${error}" PARENT_SCOPE)
endfunction()
