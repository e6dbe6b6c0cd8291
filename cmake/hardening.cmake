# SPDX-License-Identifier: GPL-3.0-or-later
# QUARIX_HARDEN: build with the hardening flags a Debian package gets
# (dpkg-buildflags with hardening=+all: fortify, stack protector, PIE, RELRO
# and immediate binding), asked of dpkg-buildflags itself so that the build
# follows the distribution it is made on. The release preset and
# scripts/package turn it on; the sanitizer and fuzz builds keep it off, since
# _FORTIFY_SOURCE needs an optimised build and gets in the sanitizers' way.
option(QUARIX_HARDEN "Build with the distribution's hardening flags (dpkg-buildflags)" OFF)
if(NOT QUARIX_HARDEN)
  return()
endif()

if(QUARIX_SANITIZE)
  message(FATAL_ERROR "QUARIX_HARDEN does not go with QUARIX_SANITIZE=${QUARIX_SANITIZE}: "
                      "fortified functions hide the faults the sanitizers look for")
endif()
if(CMAKE_BUILD_TYPE STREQUAL "Debug")
  message(FATAL_ERROR "QUARIX_HARDEN needs an optimised build (Release, RelWithDebInfo, MinSizeRel): "
                      "_FORTIFY_SOURCE does nothing without optimisation")
endif()

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(WARNING "dpkg-buildflags not found (package dpkg-dev): the build is not hardened")
  return()
endif()

# Run in the source folder: the file-prefix map it gives then makes the
# recorded paths relative to the source, as in a package build.
function(_quarix_buildflags out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DPKG_BUILDFLAGS} ${ARGN}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    OUTPUT_VARIABLE _value OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_VARIABLE _error
    RESULT_VARIABLE _result)
  if(NOT _result EQUAL 0)
    message(FATAL_ERROR "dpkg-buildflags ${ARGN} failed: ${_error}")
  endif()
  set(${out} "${_value}" PARENT_SCOPE)
endfunction()

_quarix_buildflags(_cppflags --get CPPFLAGS)
_quarix_buildflags(_cxxflags --get CXXFLAGS)
_quarix_buildflags(_ldflags --get LDFLAGS)
_quarix_buildflags(_status --status)

# Optimisation and debug information stay the build type's choice.
separate_arguments(_cxxflags UNIX_COMMAND "${_cxxflags}")
list(FILTER _cxxflags EXCLUDE REGEX "^-(O.*|g.*)$")
list(JOIN _cxxflags " " _cxxflags)

# Stack-clash and control-flow protection are part of hardening=+all only
# from dpkg 1.22 on; an older dpkg-buildflags does not know the features at
# all, and then the flags it would give are added here where the compiler
# takes them (hardening-check asks for control-flow protection).
include(CheckCXXCompilerFlag)
set(_extra)
if(NOT _status MATCHES "hardening features:[^\n]* stackclash=")
  check_cxx_compiler_flag(-fstack-clash-protection QUARIX_HAS_STACK_CLASH_PROTECTION)
  if(QUARIX_HAS_STACK_CLASH_PROTECTION)
    list(APPEND _extra -fstack-clash-protection)
  endif()
endif()
if(NOT _status MATCHES "hardening features:[^\n]* branch=")
  check_cxx_compiler_flag(-fcf-protection QUARIX_HAS_CF_PROTECTION)
  check_cxx_compiler_flag(-mbranch-protection=standard QUARIX_HAS_BRANCH_PROTECTION)
  if(QUARIX_HAS_CF_PROTECTION)
    list(APPEND _extra -fcf-protection)
  elseif(QUARIX_HAS_BRANCH_PROTECTION)
    list(APPEND _extra -mbranch-protection=standard)
  endif()
endif()
list(JOIN _extra " " _extra)

string(APPEND CMAKE_CXX_FLAGS " ${_cppflags} ${_cxxflags} ${_extra}")
foreach(_kind EXE SHARED MODULE)
  string(APPEND CMAKE_${_kind}_LINKER_FLAGS " ${_ldflags}")
endforeach()
# A program that is not PIE by the compiler's default becomes one here.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()
message(STATUS "Hardened build: ${_cppflags} ${_cxxflags} ${_extra} | ${_ldflags}")
