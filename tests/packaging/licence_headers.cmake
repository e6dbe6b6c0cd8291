# SPDX-License-Identifier: GPL-3.0-or-later
# Every source, script and CMake file names its licence in its first lines,
# so that a file copied out of the tree still says under which terms.
# cmake -DSOURCE_DIR=... -P licence_headers.cmake
set(_patterns
  *.cpp *.h CMakeLists.txt *.cmake scripts/* .ci/* tests/platform/fixtures/wine/make-fixtures
  packaging/*.desktop packaging/*.in packaging/*.svg)
set(_files)
foreach(_pattern ${_patterns})
  file(GLOB_RECURSE _found RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${_pattern})
  list(APPEND _files ${_found})
endforeach()
list(REMOVE_DUPLICATES _files)
list(FILTER _files EXCLUDE REGEX "^(build|\\.git)/")
set(_missing)
foreach(_file ${_files})
  file(STRINGS ${SOURCE_DIR}/${_file} _head LIMIT_COUNT 3)
  if(NOT _head MATCHES "SPDX-License-Identifier: GPL-3\\.0-or-later")
    list(APPEND _missing ${_file})
  endif()
endforeach()
list(LENGTH _files _count)
if(_count LESS 100)
  message(FATAL_ERROR "only ${_count} files found under ${SOURCE_DIR}: the patterns are wrong")
endif()
if(_missing)
  list(JOIN _missing "\n  " _shown)
  message(FATAL_ERROR "no SPDX-License-Identifier line at the top of:\n  ${_shown}")
endif()
