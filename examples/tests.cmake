# Every example runs through kestrun_add_test, as a tester's suite would; the
# ones that read "<CL-VALUE>" get the user and password that make demo gives.
file(GLOB KESTRUN_EXAMPLES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/examples/*.dat)
foreach(example ${KESTRUN_EXAMPLES})
  get_filename_component(name ${example} NAME_WE)
  kestrun_add_test(example.${name} ${example} ARGS -u USER1 -p pw1 LABELS example)
endforeach()

# Run by hand against the per-user store, an example must pass again and
# again: all of them, twice over, against one store.
add_test(NAME example.all_twice_one_store
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/examples_twice.sh $<TARGET_FILE:kestrun1> ${CMAKE_SOURCE_DIR}/examples)
set_tests_properties(example.all_twice_one_store PROPERTIES LABELS example)
