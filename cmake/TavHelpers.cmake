# tav_add_gtest(NAME LABEL SOURCES... LIBS ...): one GoogleTest executable registered with CTest.
function(tav_add_gtest name label)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE tav_common GTest::gtest GTest::gtest_main GTest::gmock tav_recording_ui ${T_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name} PROPERTIES LABELS ${label} ENVIRONMENT "${T_ENV}" DISCOVERY_TIMEOUT 30)
endfunction()
