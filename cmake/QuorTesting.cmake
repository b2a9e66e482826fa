# quor_add_test(NAME SOURCES ... LABELS ... [LIBS ...] [TIMEOUT seconds])
# Labels: unit runs offscreen; x11 and e2e need the display of scripts/with-test-env.sh and share
# it one test at a time, since they move the real pointer.
function(quor_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LABELS;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test QuorTestSupport ${ARG_LIBS})
  quor_set_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  set(env
    "QUORZUB_RESOURCES=${QUOR_RESOURCE_DIR}"
    "QUOR_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    "QUOR_BINARY_DIR=${CMAKE_BINARY_DIR}"
    "QUOR_TESTDATA_DIR=${CMAKE_SOURCE_DIR}/../shared/testdata"
    "QUOR_ANIMATIONS=0")
  if("unit" IN_LIST ARG_LABELS)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  # The test's own limit governs, not QtTest's watchdog, which ends any test function after five
  # minutes: a long end-to-end test on a busy machine may need more.
  list(APPEND env "QTEST_FUNCTION_TIMEOUT=${ARG_TIMEOUT}000")
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" ENVIRONMENT "${env}"
    TIMEOUT ${ARG_TIMEOUT})
  if("x11" IN_LIST ARG_LABELS OR "e2e" IN_LIST ARG_LABELS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK x11display)
  endif()
  add_dependencies(${name} quor_resources)
endfunction()
