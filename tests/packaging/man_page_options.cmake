# SPDX-License-Identifier: GPL-3.0-or-later
# The options in `PROGRAM --help` and the tags of the man page's OPTIONS
# section must be the same set, written the same way ("-h, --help",
# "--port NAME"), so that neither can gain or lose an option alone.
# cmake -DPROGRAM=... -DMAN_PAGE=... -P man_page_options.cmake

execute_process(COMMAND ${PROGRAM} --help
  OUTPUT_VARIABLE help RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed (${result})")
endif()

# --help: a line that starts with spaces and a dash is an option; its head
# ends at the first run of two spaces (the start of its text) or the line's end.
set(help_options)
string(REPLACE "\n" ";" help_lines "${help}")
foreach(line IN LISTS help_lines)
  if(line MATCHES "^  +(-[^ ]+( [A-Z]+|, --[^ ]+( [A-Z]+)?)?)(  |$)")
    list(APPEND help_options "${CMAKE_MATCH_1}")
  endif()
endforeach()

# The man page: in the OPTIONS section, the line after each .TP is a tag,
# written with font macros (.B, .BI, .BR ...) whose arguments join up.
file(STRINGS ${MAN_PAGE} man_lines)
set(man_options)
set(in_options FALSE)
set(tag_next FALSE)
foreach(line IN LISTS man_lines)
  if(line MATCHES "^\\.SH")
    set(in_options FALSE)
    if(line MATCHES "^\\.SH +\"?OPTIONS\"?$")
      set(in_options TRUE)
    endif()
    continue()
  endif()
  if(NOT in_options)
    continue()
  endif()
  if(line MATCHES "^\\.TP")
    set(tag_next TRUE)
    continue()
  endif()
  if(tag_next)
    set(tag_next FALSE)
    set(tag "${line}")
    if(tag MATCHES "^\\.[BIR]+ +(.*)$")
      set(words "${CMAKE_MATCH_1}")
      string(REGEX MATCHALL "\"[^\"]*\"|[^ \"]+" words "${words}")
      set(tag "")
      foreach(word IN LISTS words)
        string(REGEX REPLACE "^\"(.*)\"$" "\\1" word "${word}")
        string(APPEND tag "${word}")
      endforeach()
    endif()
    string(REPLACE "\\-" "-" tag "${tag}")
    string(REGEX REPLACE "\\\\f[BIRP]|\\\\&" "" tag "${tag}")
    list(APPEND man_options "${tag}")
  endif()
endforeach()

if(NOT help_options)
  message(FATAL_ERROR "no option found in the output of --help:\n${help}")
endif()
list(SORT help_options)
list(SORT man_options)
if(NOT help_options STREQUAL man_options)
  set(only_help ${help_options})
  list(REMOVE_ITEM only_help ${man_options})
  set(only_man ${man_options})
  list(REMOVE_ITEM only_man ${help_options})
  list(JOIN only_help "\n  " only_help)
  list(JOIN only_man "\n  " only_man)
  message(FATAL_ERROR "--help and the man page (${MAN_PAGE}) list different options.\n"
    "Only in --help:\n  ${only_help}\nOnly in the man page:\n  ${only_man}")
endif()
list(LENGTH help_options count)
message(STATUS "${count} options, the same in --help and the man page")
