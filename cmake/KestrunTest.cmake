# kestrun_add_test(NAME FILE [ARGS arg...] [LABELS label...])
#
# Registers the test case file FILE with CTest as test NAME: kestrun1 runs it
# and the test passes when the exit code is 0. Each test runs in its own
# folder, <build>/kestrun/NAME/, with its own simulated store (PVXJSIM_DB
# points to store.db there, emptied before every run); the result file
# NAME.log and the console output NAME.err stay there after the run. ARGS go
# to kestrun1 after -i and -o (for example -u USER1 -p pw1 for "<CL-VALUE>").
#
# kestrun1 is KESTRUN1_EXECUTABLE when set, else the imported target
# kestrun1::kestrun1 (find_package(kestrun1)), else the target kestrun1 of
# the same build, else the first kestrun1 on the PATH.
include_guard(GLOBAL)
if(CMAKE_VERSION VERSION_LESS 3.18)
  message(FATAL_ERROR "kestrun_add_test needs CMake 3.18 or later (ctest --output-junit: 3.21)")
endif()

set(_KESTRUN_RUNNER "${CMAKE_CURRENT_LIST_DIR}/KestrunRunTest.cmake")

function(kestrun_add_test name file)
  cmake_parse_arguments(PARSE_ARGV 2 kt "" "" "ARGS;LABELS")
  if(kt_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "kestrun_add_test(${name}): unexpected arguments ${kt_UNPARSED_ARGUMENTS}; "
                        "write ARGS before the arguments for kestrun1")
  endif()
  if(KESTRUN1_EXECUTABLE)
    set(exe "${KESTRUN1_EXECUTABLE}")
  elseif(TARGET kestrun1::kestrun1)
    set(exe "$<TARGET_FILE:kestrun1::kestrun1>")
  elseif(TARGET kestrun1)
    set(exe "$<TARGET_FILE:kestrun1>")
  else()
    find_program(KESTRUN1_EXECUTABLE kestrun1 REQUIRED)
    set(exe "${KESTRUN1_EXECUTABLE}")
  endif()

  get_filename_component(case "${file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  # The test's folder and file names keep only characters safe in a path.
  string(REGEX REPLACE "[^A-Za-z0-9._+-]" "_" stem "${name}")
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/kestrun/${stem}")
  file(MAKE_DIRECTORY "${dir}")

  # Arguments travel in a file, so that none is split or re-quoted on the way.
  set(script "set(KESTRUN_ARGS)\n")
  foreach(arg IN LISTS kt_ARGS)
    string(APPEND script "list(APPEND KESTRUN_ARGS [==[${arg}]==])\n")
  endforeach()
  file(CONFIGURE OUTPUT "${dir}/args.cmake" CONTENT "${script}" @ONLY)

  add_test(NAME "${name}"
    COMMAND "${CMAKE_COMMAND}" "-DKESTRUN1=${exe}" "-DCASE=${case}" "-DDIR=${dir}"
            "-DSTEM=${stem}" -P "${_KESTRUN_RUNNER}")
  set_tests_properties("${name}" PROPERTIES ATTACHED_FILES_ON_FAIL "${dir}/${stem}.log")
  if(kt_LABELS)
    set_tests_properties("${name}" PROPERTIES LABELS "${kt_LABELS}")
  endif()
endfunction()
