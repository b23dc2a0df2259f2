# A fuzz session that starts from the committed corpus and writes what it
# finds into WORK: RUNS inputs from the seed SEED, the same session on every
# machine whatever its speed; or, for a longer look (scripts/fuzz), SECONDS
# seconds. With DICTIONARY, the fuzzer tries its words.
file(REMOVE_RECURSE ${WORK})
if(DEFINED DICTIONARY)
  set(words -dict=${DICTIONARY})
endif()
if(DEFINED RUNS)
  set(bound -runs=${RUNS} -seed=${SEED})
else()
  set(bound -max_total_time=${SECONDS})
endif()
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
execute_process(
  COMMAND ${FUZZER} ${bound} -print_final_stats=1 -timeout=10 ${words}
          -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus ${CORPUS}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the fuzzer found a fault; the input is in ${WORK}/artifacts")
endif()
