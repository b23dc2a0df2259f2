# The JSON report of a module with one fault: the failed check and case,
# what was seen, and the replay line, where a script finds them.
# Each check's threat model is the guide's, word for word.
#   -DPROGRAM=... -DEMULATOR=... -DMODULE=... -DDOCUMENT=docs/validate.md
include(${CMAKE_CURRENT_LIST_DIR}/run_validate.cmake)

run_validate("level 2" 1 ${MODULE} --level 2 --seed 7 --format json)
string(JSON seed GET "${output}" seed)
string(JSON failed GET "${output}" summary failed)
string(JSON count LENGTH "${output}" checks)
set(failures "")
math(EXPR last "${count} - 1")
file(READ "${DOCUMENT}" guide)
foreach(i RANGE ${last})
  foreach(part guaranteed catches couldStillDo)
    string(JSON text GET "${output}" checks ${i} threatModel ${part})
    string(FIND "${guide}" "| ${text} |" at)
    if(text STREQUAL "" OR at EQUAL -1)
      string(JSON check GET "${output}" checks ${i} check)
      message(FATAL_ERROR "the threat model of ${check} (${part}) is not the guide's: '${text}'")
    endif()
  endforeach()
  string(JSON result GET "${output}" checks ${i} result)
  if(result STREQUAL "fail")
    string(JSON check GET "${output}" checks ${i} check)
    string(JSON case GET "${output}" checks ${i} failures 0 case)
    string(JSON seen GET "${output}" checks ${i} failures 0 seen)
    string(JSON replay GET "${output}" checks ${i} failures 0 replay)
    list(APPEND failures ${check})
  endif()
endforeach()
if(NOT seed EQUAL 7 OR NOT failed EQUAL 1 OR NOT failures STREQUAL "commands-selection")
  message(FATAL_ERROR "expected seed 7 and commands-selection alone failed:\n${output}")
endif()
if(NOT case MATCHES "^commands-selection:command=0,document=[a-z-]+,selection=[a-z]+$"
   OR NOT seen MATCHES "^saved 'SOSS' \\(2,0\\), which it had not loaded$"
   OR NOT replay MATCHES "FINALE.EXE validate .* --seed 7 --case ${case}( --case-limit [0-9]+)? --trace -$")
  message(FATAL_ERROR "the failure is not named as it should be:\n${case}\n${seen}\n${replay}")
endif()
