# SPDX-License-Identifier: GPL-3.0-or-later
# A room is a folder of sources that forms one static library. Sources are
# globbed so that adding a file to a room needs no edit here.
function(quarix_room_library target dir)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(_sources)
    add_library(${target} STATIC ${_sources})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARGN})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARGN})
  endif()
endfunction()

# One test program per room, made of every tests/<room>/*.cpp, each test
# registered with CTest under the room's label (ctest -L <room>).
function(quarix_room_tests room)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${room}/*.cpp)
  if(NOT _sources)
    return()
  endif()
  set(_target tests_${room})
  add_executable(${_target} ${_sources})
  target_include_directories(${_target} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${_target} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${_target}
    PROPERTIES LABELS ${room}
    DISCOVERY_TIMEOUT 60
    DISCOVERY_MODE PRE_TEST)
endfunction()
