include(GoogleTest)

# pivra_add_gtest(NAME SOURCES a.cpp b.cpp LIBS x y [WHOLE] [LABELS l])
# One test binary, its cases discovered by CTest when the tests run; WHOLE
# makes it one CTest test instead, for cases that share a costly set-up.
function(pivra_add_gtest name)
  cmake_parse_arguments(ARG "WHOLE" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${name} PRIVATE PIVRA_BIN_DIR="${PIVRA_BIN_DIR}")
  set(properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  if(ARG_WHOLE)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set_tests_properties(${name} PROPERTIES ${properties})
    return()
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES ${properties})
endfunction()

# Adds every listed subfolder that has a CMakeLists.txt, so parts can land one at a time.
function(pivra_add_present_subdirs)
  file(RELATIVE_PATH here ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(dir ${ARGN})
    if("${here}/${dir}" IN_LIST PIVRA_SKIP_DIRS)
      message(STATUS "Skipping ${here}/${dir}")
    elseif(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
