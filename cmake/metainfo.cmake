# SPDX-License-Identifier: GPL-3.0-or-later
# calibration_tool_metainfo(IN OUT HOMEPAGE): the AppStream metadata from its
# template, with the web site filled in; without a web site there is neither a
# homepage nor a screenshot to name, so both are left out. The template's
# other @VARIABLES@ come from the caller's scope.
function(calibration_tool_metainfo in out homepage)
  file(READ ${in} _metainfo)
  if(homepage STREQUAL "")
    string(REGEX REPLACE "[ ]*<url type=\"homepage\">[^\n]*\n" "" _metainfo "${_metainfo}")
    string(REGEX REPLACE "[ ]*<screenshots>.*</screenshots>[ ]*\n" "" _metainfo "${_metainfo}")
  endif()
  string(REGEX REPLACE "/+$" "" CALIBRATION_TOOL_HOMEPAGE "${homepage}")
  file(CONFIGURE OUTPUT ${out} CONTENT "${_metainfo}" @ONLY)
endfunction()
