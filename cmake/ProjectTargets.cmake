# Every library and test program is made from the sources found in its folders, so adding a
# file never means editing a shared list. What keeps the build fast on a small machine (unity
# batches, precompiled headers) and the tests safe (a time-out on every entry, large programs run
# as shards) is decided here, so every new folder gets it without asking.

# Layers call only downwards: every build first checks that no source includes a header of a
# layer above its own (scripts/check-layers), and stops when one does.
add_custom_target(layer_check ALL
  COMMAND "${CMAKE_SOURCE_DIR}/scripts/check-layers" "${CMAKE_SOURCE_DIR}"
  COMMENT "Checking that includes go only downwards" VERBATIM)

option(PROJECT_UNITY "Compile each folder's sources in batches (unity build)" OFF)
set(PROJECT_UNITY_BATCH 8 CACHE STRING "Sources per unity batch")
option(PROJECT_PCH "Precompile the test framework's and the platform's large headers" ON)

# Seconds before ctest stops a test program as hung. A program (or shard) that needs longer is
# too large and should be split, not given more time.
set(PROJECT_TIMEOUT_UNIT 300 CACHE STRING "Time-out of a unit test entry, seconds")
set(PROJECT_TIMEOUT_MYSQL 600 CACHE STRING "Time-out of a server test entry, seconds")
set(PROJECT_TIMEOUT_GUI 600 CACHE STRING "Time-out of a GUI test entry, seconds")
# A unit program gets one shard for every this many test files, up to PROJECT_MAX_SHARDS.
set(PROJECT_FILES_PER_SHARD 16 CACHE STRING "Unit test files per ctest shard")
set(PROJECT_MAX_SHARDS 6 CACHE STRING "Most ctest shards of one unit test program")

# Headers nearly every source of a layer includes; compiled once per target.
set(PROJECT_PCH_LIBRARY
  <cstdint> <functional> <map> <memory> <string> <vector>
  "${CMAKE_SOURCE_DIR}/platform/rtl/Types.h"
  "${CMAKE_SOURCE_DIR}/platform/rtl/Exceptions.h")
set(PROJECT_PCH_TESTS ${PROJECT_PCH_LIBRARY} <gtest/gtest.h> <gmock/gmock.h>)

# A source that includes the X client library's headers compiles alone: their macros (None,
# Status, Bool, Screen...) would break the sources batched with it.
function(project_unity_exclusions sources)
  foreach(src IN LISTS sources)
    file(STRINGS "${src}" x11 REGEX "^#include[ \t]*[<\"][^>\"]*X11" LIMIT_COUNT 1)
    if(x11)
      set_source_files_properties("${src}" PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endif()
  endforeach()
endfunction()

# Libraries compile in unity batches; test programs do not, as their files each declare fixtures
# and helpers of the same names in their own anonymous namespaces.
function(project_speed_up target pch unity)
  if(PROJECT_UNITY AND unity)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON
      UNITY_BUILD_BATCH_SIZE ${PROJECT_UNITY_BATCH})
    get_target_property(sources ${target} SOURCES)
    project_unity_exclusions("${sources}")
  endif()
  if(PROJECT_PCH)
    target_precompile_headers(${target} PRIVATE ${${pch}})
  endif()
endfunction()

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
  add_dependencies(${name} layer_check)
  project_speed_up(${name} PROJECT_PCH_LIBRARY ON)
endfunction()

# project_test_entries(<program> <label> <timeout> <shards>)
# One ctest entry per shard; gtest runs every shard-th test of the program in each. The output
# of a failing entry names the failing test cases, and the XML report beside the build says which
# shard ran which.
function(project_test_entries program label timeout shards)
  if(shards LESS_EQUAL 1)
    add_test(NAME ${program} COMMAND ${program}
      --gtest_output=xml:${CMAKE_BINARY_DIR}/test-reports/${program}.xml
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${program} PROPERTIES LABELS ${label} TIMEOUT ${timeout})
    return()
  endif()
  math(EXPR last "${shards} - 1")
  foreach(index RANGE ${last})
    set(entry ${program}_${index})
    add_test(NAME ${entry} COMMAND ${program}
      --gtest_output=xml:${CMAKE_BINARY_DIR}/test-reports/${entry}.xml
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${entry} PROPERTIES LABELS ${label} TIMEOUT ${timeout}
      ENVIRONMENT "GTEST_TOTAL_SHARDS=${shards};GTEST_SHARD_INDEX=${index}")
  endforeach()
endfunction()

function(project_test_program program sources deps)
  add_executable(${program} ${sources})
  target_link_libraries(${program} PRIVATE ${deps} test_support GTest::gtest_main GTest::gmock)
  project_speed_up(${program} PROJECT_PCH_TESTS OFF)
endfunction()

# project_tests(<name> DIR <folder> DEPS <target>...)
# Every test runs in the top of the build tree: source paths the compiler cache wrote relative to
# it (fixtures found next to a test's source) resolve there, and screenshots land in its
# screenshots/ folder.
# Files named *_test.cpp make the program <name> (label "unit"); files named *_itest.cpp cross the
# wire to the test server and make <name>_mysql (label "mysql"); files named *_gtest.cpp drive the
# program on a real X server (they start their own) and make <name>_gui (label "gui").
# Large unit programs run as shards <name>_0, <name>_1, ... in parallel; the server and GUI
# programs run whole, as their tests share one database or one display.
function(project_tests name)
  cmake_parse_arguments(ARG "" "DIR" "DEPS" ${ARGN})
  file(GLOB_RECURSE unit_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/${ARG_DIR}/*_test.cpp")
  file(GLOB_RECURSE mysql_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/${ARG_DIR}/*_itest.cpp")
  file(GLOB_RECURSE gui_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/${ARG_DIR}/*_gtest.cpp")
  if(unit_sources)
    project_test_program(${name} "${unit_sources}" "${ARG_DEPS}")
    list(LENGTH unit_sources count)
    math(EXPR shards "(${count} + ${PROJECT_FILES_PER_SHARD} - 1) / ${PROJECT_FILES_PER_SHARD}")
    if(shards GREATER PROJECT_MAX_SHARDS)
      set(shards ${PROJECT_MAX_SHARDS})
    endif()
    project_test_entries(${name} unit ${PROJECT_TIMEOUT_UNIT} ${shards})
  endif()
  if(mysql_sources)
    project_test_program(${name}_mysql "${mysql_sources}" "${ARG_DEPS}")
    project_test_entries(${name}_mysql mysql ${PROJECT_TIMEOUT_MYSQL} 1)
  endif()
  if(gui_sources)
    project_test_program(${name}_gui "${gui_sources}" "${ARG_DEPS}")
    # Keys and clicks reach the server as a person's would, through XTest.
    find_package(X11 REQUIRED COMPONENTS Xtst)
    target_link_libraries(${name}_gui PRIVATE X11::Xtst)
    project_test_entries(${name}_gui gui ${PROJECT_TIMEOUT_GUI} 1)
  endif()
endfunction()
