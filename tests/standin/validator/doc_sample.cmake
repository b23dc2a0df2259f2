# The sample report in docs/validate.md is what the validator prints: the
# run named in the line before it is made again, in the folder of the small
# modules, and must print the sample but for the program's path, the
# offset in the module and the time.
#   -DPROGRAM=... -DMODULES=<folder> -DDOCUMENT=<docs/validate.md>
file(READ ${DOCUMENT} document)
if(NOT document MATCHES "<!-- sample: [^$]*\\$ FINALE.EXE validate ([^\n]*) -->\n\n((    [^\n]*\n)+)")
  message(FATAL_ERROR "no sample in ${DOCUMENT}")
endif()
separate_arguments(arguments UNIX_COMMAND "${CMAKE_MATCH_1}")
string(REPLACE "\n    " "\n" sample "\n${CMAKE_MATCH_2}")
string(SUBSTRING "${sample}" 1 -1 sample)
execute_process(COMMAND ${PROGRAM} validate ${arguments}
  WORKING_DIRECTORY ${MODULES} OUTPUT_VARIABLE report ERROR_VARIABLE error)

# What differs from run to run, or from build to build.
function(normalized text variable)
  string(REGEX REPLACE "replay: [^ \n]*FINALE.EXE" "replay: FINALE.EXE" text "${text}")
  string(REGEX REPLACE "\\+0x[0-9a-f]+" "+0x..." text "${text}")
  string(REGEX REPLACE "; [0-9.]+ s\n" "; ... s\n" text "${text}")
  set(${variable} "${text}" PARENT_SCOPE)
endfunction()
normalized("${sample}" expected)
normalized("${report}" actual)
if(NOT actual STREQUAL expected)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/sample.expected "${expected}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/sample.actual "${actual}")
  message(FATAL_ERROR "docs/validate.md's sample is not what the run prints (normalized: sample.expected, sample.actual); the run printed:\n${report}${error}")
endif()
