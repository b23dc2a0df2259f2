# A recording cut short or changed is refused by replay and import alike:
# exit status 2, one line naming the file and what is wrong, nothing written.
# With DIFFERS, the change is one a replay finds instead: exit status 1 and
# a report matching DIFFERS; with REPRODUCED, one the replay notes and still
# reproduces: exit status 0 and a report matching REPRODUCED.
#   -DPROGRAM=... -DEMULATOR=... -DMODULE=... -DSOURCE=recording -DWORK=dir
#   -DERROR=regex | -DDIFFERS=regex | -DREPRODUCED=regex
#   [-DCUT=bytes (-1: all but the last)] [-DFROM=text -DTO=text]
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(READ ${SOURCE} text)
if(DEFINED CUT)
  string(LENGTH "${text}" length)
  if(CUT LESS 0)
    math(EXPR CUT "${length} + ${CUT}")
  endif()
  string(SUBSTRING "${text}" 0 ${CUT} text)
endif()
if(DEFINED FROM)
  string(FIND "${text}" "${FROM}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the recording holds no '${FROM}'")
  endif()
  string(SUBSTRING "${text}" 0 ${at} before)
  string(LENGTH "${FROM}" from_length)
  math(EXPR after_start "${at} + ${from_length}")
  string(SUBSTRING "${text}" ${after_start} -1 after)
  set(text "${before}${TO}${after}")
endif()
set(bad ${WORK}/bad.json)
file(WRITE ${bad} "${text}")

if(DEFINED DIFFERS OR DEFINED REPRODUCED)
  execute_process(COMMAND ${EMULATOR} ${PROGRAM} replay ${MODULE} ${bad}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE error)
  string(REPLACE "\r\n" "\n" output "${output}")
  set(expected 1)
  set(report "${DIFFERS}")
  if(DEFINED REPRODUCED)
    set(expected 0)
    set(report "${REPRODUCED}")
  endif()
  if(NOT status EQUAL expected OR NOT output MATCHES "^${report}$")
    message(FATAL_ERROR "replay: exit status ${status}, expected ${expected} and a report "
      "matching '${report}':\n${output}\n${error}")
  endif()
  return()
endif()

foreach(verb replay import)
  if(verb STREQUAL "replay")
    set(arguments replay ${MODULE} ${bad})
  else()
    set(arguments import ${bad} --output ${WORK}/imported.json)
  endif()
  execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${arguments}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE error)
  string(REPLACE "\r\n" "\n" error "${error}")
  if(NOT status EQUAL 2)
    message(FATAL_ERROR "${verb}: exit status ${status}, expected 2\n${output}\n${error}")
  endif()
  if(NOT error MATCHES "^FINALE.EXE: [^\n]*bad.json: ${ERROR}[^\n]*\n$")
    message(FATAL_ERROR "${verb}: standard error does not match '${ERROR}':\n${error}")
  endif()
endforeach()
if(EXISTS ${WORK}/imported.json)
  message(FATAL_ERROR "the import wrote a document from a bad recording")
endif()
