# A fuzz session of SECONDS seconds that starts from the committed corpus
# and writes what it finds into WORK; with DICTIONARY, the fuzzer tries its
# words.
file(REMOVE_RECURSE ${WORK})
if(DEFINED DICTIONARY)
  set(words -dict=${DICTIONARY})
endif()
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -print_final_stats=1 -timeout=10 ${words}
          -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus ${CORPUS}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the fuzzer found a fault; the input is in ${WORK}/artifacts")
endif()
