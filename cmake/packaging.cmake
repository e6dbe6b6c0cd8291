# SPDX-License-Identifier: GPL-3.0-or-later
# What an installed copy needs beside the program (packaging/), where each
# file goes on a Linux system, and the Debian package CPack makes of it.
include(GNUInstallDirs)

set(CALIBRATION_TOOL_RELEASE_DATE 2026-12-11)
# Addresses are given by whoever builds, never made up: with no web site the
# metadata names none, and a package cannot be made without a maintainer's
# e-mail (DEBFULLNAME and DEBEMAIL or EMAIL, as for Debian's own tools).
set(CALIBRATION_TOOL_HOMEPAGE "" CACHE STRING
    "The project's web site (https://...): the AppStream homepage, the base of its screenshot addresses and the package's Homepage; empty: none")
set(CALIBRATION_TOOL_MAINTAINER_NAME "" CACHE STRING
    "The package maintainer's name (default: $DEBFULLNAME, or else Calibration tool maintainers)")
set(CALIBRATION_TOOL_MAINTAINER_EMAIL "" CACHE STRING
    "The package maintainer's e-mail address (default: $DEBEMAIL or $EMAIL); needed to make the package")
# Looked up at every configuration, so that a build folder follows the
# environment of whoever packs from it.
function(_calibration_tool_default variable fallback)
  set(_value "${${variable}}")
  foreach(_name ${ARGN})
    if(_value STREQUAL "" AND DEFINED ENV{${_name}})
      set(_value "$ENV{${_name}}")
    endif()
  endforeach()
  if(_value STREQUAL "")
    set(_value "${fallback}")
  endif()
  set(${variable} "${_value}" PARENT_SCOPE)
endfunction()
_calibration_tool_default(CALIBRATION_TOOL_MAINTAINER_NAME "Calibration tool maintainers" DEBFULLNAME)
_calibration_tool_default(CALIBRATION_TOOL_MAINTAINER_EMAIL "" DEBEMAIL EMAIL)
if(CALIBRATION_TOOL_MAINTAINER_EMAIL STREQUAL "")
  set(CALIBRATION_TOOL_MAINTAINER "${CALIBRATION_TOOL_MAINTAINER_NAME}")
else()
  set(CALIBRATION_TOOL_MAINTAINER "${CALIBRATION_TOOL_MAINTAINER_NAME} <${CALIBRATION_TOOL_MAINTAINER_EMAIL}>")
endif()

# GNUInstallDirs' DOCDIR follows the CMake project's name, not the program's.
set(CALIBRATION_TOOL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/calibration-tool)
set(CALIBRATION_TOOL_FULL_DOCDIR ${CMAKE_INSTALL_PREFIX}/${CALIBRATION_TOOL_DOCDIR})

set(_packaging ${CMAKE_SOURCE_DIR}/packaging)
set(_staged ${CMAKE_BINARY_DIR}/packaging)

# Whatever the umask of the one who installs or packs: directories 755.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS calibration-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The window's and the messages' languages, where the program looks for them
# (../share/calibration-tool/translations from the program).
install(FILES ${CALIBRATION_TOOL_QM_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/calibration-tool/translations)

install(FILES ${_packaging}/${CALIBRATION_TOOL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

include(${CMAKE_CURRENT_LIST_DIR}/metainfo.cmake)
set(_metainfo_in ${_packaging}/${CALIBRATION_TOOL_APP_ID}.metainfo.xml.in)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_metainfo_in})
string(REGEX REPLACE "/+$" "" CALIBRATION_TOOL_HOMEPAGE "${CALIBRATION_TOOL_HOMEPAGE}")
calibration_tool_metainfo(${_metainfo_in} ${_staged}/${CALIBRATION_TOOL_APP_ID}.metainfo.xml
                          "${CALIBRATION_TOOL_HOMEPAGE}")
install(FILES ${_staged}/${CALIBRATION_TOOL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon: drawn as SVG; PNGs rendered from it for the sizes menus and
# panels ask for, when rsvg-convert is there (every desktop takes the SVG).
set(_icon_svg ${_packaging}/${CALIBRATION_TOOL_APP_ID}.svg)
install(FILES ${_icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
  set(_icon_pngs)
  foreach(_size 16 22 24 32 48 64 128 256)
    set(_png ${_staged}/icons/${_size}x${_size}/${CALIBRATION_TOOL_APP_ID}.png)
    add_custom_command(OUTPUT ${_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_staged}/icons/${_size}x${_size}
      COMMAND ${RSVG_CONVERT} -w ${_size} -h ${_size} -o ${_png} ${_icon_svg}
      DEPENDS ${_icon_svg} VERBATIM)
    list(APPEND _icon_pngs ${_png})
    install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
  endforeach()
  add_custom_target(calibration_tool_icons ALL DEPENDS ${_icon_pngs})
else()
  message(STATUS "rsvg-convert not found: the icon is installed as SVG only")
endif()

# Manual page and changelog, gzipped as Debian policy wants them (man and
# every other system read them so too).
configure_file(${_packaging}/calibration-tool.1.in ${_staged}/calibration-tool.1 @ONLY)
configure_file(${_packaging}/changelog ${_staged}/changelog @ONLY)
foreach(_file calibration-tool.1 changelog)
  add_custom_command(OUTPUT ${_staged}/${_file}.gz
    COMMAND gzip -9nkf ${_staged}/${_file}
    DEPENDS ${_staged}/${_file} VERBATIM)
endforeach()
add_custom_target(calibration_tool_compressed_docs ALL
  DEPENDS ${_staged}/calibration-tool.1.gz ${_staged}/changelog.gz)
install(FILES ${_staged}/calibration-tool.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_staged}/changelog.gz ${_packaging}/copyright ${CMAKE_SOURCE_DIR}/README.md
        DESTINATION ${CALIBRATION_TOOL_DOCDIR})
# Where the README's link points.
install(FILES ${CMAKE_SOURCE_DIR}/docs/settings.md DESTINATION ${CALIBRATION_TOOL_DOCDIR}/docs)

# The Debian package (scripts/package).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME calibration-tool)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# No e-mail, no maintainer: CPack then refuses to make the package.
if(NOT CALIBRATION_TOOL_MAINTAINER_EMAIL STREQUAL "")
  set(CPACK_PACKAGE_CONTACT ${CALIBRATION_TOOL_MAINTAINER})
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CALIBRATION_TOOL_MAINTAINER})
endif()
if(NOT CALIBRATION_TOOL_HOMEPAGE STREQUAL "")
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${CALIBRATION_TOOL_HOMEPAGE})
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Wayland plugin (without it the tool runs through Xwayland only) and
# Qt's own words (standard buttons) in the rider's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "calibrate an indoor bicycle trainer over its serial line")
# CPack puts the summary on the first line: the body follows it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A small desktop tool for calibrating an indoor bicycle trainer whose
console is connected over a serial line (a USB-serial adapter or a real
serial port). It finds the console on the machine's serial ports, loads
the three calibration points (target speed and brake resistance) kept by
the trainer's companion programs, from a registry export or a Wine
prefix, and shows one small window: pick P1, P2 or P3 and the brake takes
that point's resistance while an arrow follows the live speed.
.
The user needs access to the serial port: usually membership of the group
dialout (sudo usermod -aG dialout $USER), then a new login.
.
calibration-tool --demo plays a simulated trainer, to try the tool
without one.")
include(CPack)
