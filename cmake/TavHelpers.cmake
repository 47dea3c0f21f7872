# tav_add_gtest(NAME LABEL SOURCES... LIBS ...): one GoogleTest executable registered with CTest.
function(tav_add_gtest name label)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE tav_common GTest::gtest GTest::gtest_main GTest::gmock tav_recording_ui ${T_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # The test's variables through env: the discovered tests' properties are written out as one flat
  # list, so an ENVIRONMENT of more than one variable would keep only its first.
  if(T_ENV)
    find_program(TAV_ENV_PROGRAM env)
    set(launcher ${TAV_ENV_PROGRAM})
    if(NOT launcher)
      set(launcher ${CMAKE_COMMAND} -E env)
    endif()
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${launcher};${T_ENV}")
  endif()
  gtest_discover_tests(${name} PROPERTIES LABELS ${label} DISCOVERY_TIMEOUT 30)
endfunction()
