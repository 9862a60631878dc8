# Runs one fuzz target over its seed corpus, then a bounded number of mutated
# inputs. Fails when the target crashes or reports an error.
if(NOT EXISTS "${CORPUS}")
  message(FATAL_ERROR "seed corpus ${CORPUS} is missing")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
execute_process(
  COMMAND "${FUZZER}" -runs=20000 -max_total_time=20 -max_len=65536 -rss_limit_mb=2048
          "-artifact_prefix=${SCRATCH}/" "${SCRATCH}" "${CORPUS}"
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${rc}):\n${out}\n${err}")
endif()
string(REGEX MATCH "Done [0-9]+ runs[^\n]*" done "${err}")
message(STATUS "${done}")
