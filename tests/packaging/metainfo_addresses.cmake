# SPDX-License-Identifier: GPL-3.0-or-later
# The AppStream metadata names the web site only when one is given: without
# it, no homepage, no screenshot and no placeholder are left; with it, the
# homepage and every screenshot are under it. Both must validate.
# cmake -DTEMPLATE=... -DWORK_DIR=... [-DAPPSTREAMCLI=...] -P metainfo_addresses.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/metainfo.cmake)

set(site "https://calibration.example.org")
calibration_tool_metainfo(${TEMPLATE} ${WORK_DIR}/without.metainfo.xml "")
calibration_tool_metainfo(${TEMPLATE} ${WORK_DIR}/with.metainfo.xml "${site}/")
file(READ ${WORK_DIR}/without.metainfo.xml without)
file(READ ${WORK_DIR}/with.metainfo.xml with)

set(failures)
foreach(case without with)
  if(${case} MATCHES "@[A-Za-z_]+@")
    list(APPEND failures "${case} a web site: a placeholder is left (${CMAKE_MATCH_0})")
  endif()
endforeach()
foreach(element "<url" "<screenshot" "<image" "https://" "http://")
  string(FIND "${without}" "${element}" at)
  if(NOT at EQUAL -1)
    list(APPEND failures "without a web site the metadata still has ${element}")
  endif()
endforeach()
if(NOT with MATCHES "<url type=\"homepage\">${site}</url>")
  list(APPEND failures "with a web site the homepage is not ${site}")
endif()
string(REGEX MATCHALL "<image[^>]*>[^<]*</image>" images "${with}")
if(NOT images)
  list(APPEND failures "with a web site the metadata has no screenshot")
endif()
foreach(image IN LISTS images)
  if(NOT image MATCHES ">${site}/screenshots/[^/<]+\\.png</image>$")
    list(APPEND failures "a screenshot is not under ${site}/screenshots/: ${image}")
  endif()
endforeach()

if(APPSTREAMCLI)
  foreach(case without with)
    execute_process(COMMAND ${APPSTREAMCLI} validate --no-net ${WORK_DIR}/${case}.metainfo.xml
      OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      list(APPEND failures "appstreamcli refuses the metadata ${case} a web site:\n${output}")
    endif()
  endforeach()
endif()

if(failures)
  list(JOIN failures "\n" failures)
  message(FATAL_ERROR "${failures}")
endif()
