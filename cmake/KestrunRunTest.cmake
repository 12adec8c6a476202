# Runs one test registered by kestrun_add_test (cmake -P, called by CTest).
# Input: KESTRUN1, CASE, DIR, STEM; DIR/args.cmake sets KESTRUN_ARGS.
include("${DIR}/args.cmake")
set(store "${DIR}/store.db")
file(REMOVE "${store}" "${store}-wal" "${store}-shm" "${DIR}/${STEM}.log" "${DIR}/${STEM}.err")
set(ENV{PVXJSIM_DB} "${store}")

execute_process(
  COMMAND "${KESTRUN1}" -i "${CASE}" -o "${STEM}.log" ${KESTRUN_ARGS}
  WORKING_DIRECTORY "${DIR}"
  INPUT_FILE /dev/null
  OUTPUT_VARIABLE out
  ERROR_FILE "${DIR}/${STEM}.err"
  RESULT_VARIABLE rc)

# The console output without the banner (its box characters are not UTF-8):
# file names, tool errors and the verdict.
file(STRINGS "${DIR}/${STEM}.err" lines ENCODING UTF-8)
set(console "")
set(verdict "")
set(past_banner FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^(Input File|Command Line Arguments|Usage|Missing|Unknown|USAGE|USER)")
    set(past_banner TRUE)
  endif()
  if(past_banner)
    string(APPEND console "${line}\n")
  endif()
  if(line MATCHES "^====== Test case")
    set(verdict "${line}")
  endif()
endforeach()
if(out)
  string(APPEND console "${out}")
endif()
message("${console}Result file: ${DIR}/${STEM}.log")

if(rc STREQUAL "0")
  return()
endif()
if((rc STREQUAL "8" OR rc STREQUAL "12") AND verdict)
  message(FATAL_ERROR "exit code ${rc}: ${verdict}")
endif()
message(FATAL_ERROR "exit code ${rc}")
