# vexo_library(NAME DEPENDS dep... [EXCLUDE file...]): one static library from the .cpp files of
# the calling folder, but those EXCLUDE names.
function(vexo_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${VEXO_SRC_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${VEXO_SRC_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()

# Test programs name the source and build folders by the build machine's paths; a Windows
# program under Wine reaches them through drive Z:, which Wine maps to "/".
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(VEXO_TEST_HOST_ROOT "Z:")
else()
  set(VEXO_TEST_HOST_ROOT "")
endif()

# vexo_test(NAME DEPENDS dep... [EXCLUDE file...]): one GoogleTest program from the .cpp files of
# the calling folder, but those EXCLUDE names (tests of another host's own machinery).
function(vexo_test name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${VEXO_SRC_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    VEXO_TEST_DATA_DIR="${VEXO_TEST_HOST_ROOT}${CMAKE_SOURCE_DIR}/tests/data"
    VEXO_BINARY_DIR="${VEXO_TEST_HOST_ROOT}${CMAKE_BINARY_DIR}")
  # Under Wine a program start now and then never returns (about one in a thousand): the
  # Windows test preset repeats a test that timed out, so its limit is kept short.
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set(limit 180)
  else()
    set(limit 300)
  endif()
  # Labelled by program, so a preset that builds one program can run just its tests.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${limit} LABELS ${name})
endfunction()
