# Every library and test program is made from the sources found in its folders, so adding a
# file never means editing a shared list.

# project_library(<name> DIRS <folder>... [DEPS <target>...])
function(project_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS" ${ARGN})
  set(sources "")
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB found CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${dir}/*.cpp")
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    # A layer whose first source has not been written yet still links.
    set(sources "${CMAKE_SOURCE_DIR}/cmake/empty.cpp")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# project_tests(<name> DIR <folder> DEPS <target>...)
# Every test runs in the top of the build tree: source paths the compiler cache wrote relative to
# it (fixtures found next to a test's source) resolve there, and screenshots land in its
# screenshots/ folder.
# Files named *_test.cpp make the program <name> (label "unit"); files named *_itest.cpp cross the
# wire to the test server and make <name>_mysql (label "mysql"); files named *_gtest.cpp drive the
# program on a real X server (they start their own) and make <name>_gui (label "gui").
function(project_tests name)
  cmake_parse_arguments(ARG "" "DIR" "DEPS" ${ARGN})
  file(GLOB_RECURSE unit_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/${ARG_DIR}/*_test.cpp")
  file(GLOB_RECURSE mysql_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/${ARG_DIR}/*_itest.cpp")
  file(GLOB_RECURSE gui_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/${ARG_DIR}/*_gtest.cpp")
  if(unit_sources)
    add_executable(${name} ${unit_sources})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} test_support GTest::gtest_main GTest::gmock)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES LABELS unit)
  endif()
  if(mysql_sources)
    add_executable(${name}_mysql ${mysql_sources})
    target_link_libraries(${name}_mysql PRIVATE ${ARG_DEPS} test_support GTest::gtest_main GTest::gmock)
    add_test(NAME ${name}_mysql COMMAND ${name}_mysql WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${name}_mysql PROPERTIES LABELS mysql)
  endif()
  if(gui_sources)
    add_executable(${name}_gui ${gui_sources})
    target_link_libraries(${name}_gui PRIVATE ${ARG_DEPS} test_support GTest::gtest_main GTest::gmock)
    # Keys and clicks reach the server as a person's would, through XTest.
    find_package(X11 REQUIRED COMPONENTS Xtst)
    target_link_libraries(${name}_gui PRIVATE X11::Xtst)
    add_test(NAME ${name}_gui COMMAND ${name}_gui WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${name}_gui PROPERTIES LABELS gui)
  endif()
endfunction()
