# Installs the program in the freedesktop layout (executable, desktop entry,
# hicolor icons, AppStream metainfo) and makes `cpack` build the Debian
# package from that installation. Include it after the targets are defined.

if(NOT TARGET quendal)
  return()  # a build without the GUI has nothing to install
endif()
if(NOT QUENDAL_DESKTOP_ID)
  message(FATAL_ERROR "Set QUENDAL_DESKTOP_ID before including Packaging.cmake")
endif()

include(GNUInstallDirs)

# Releases are numbered major.minor.patch; the fourth project number only
# counts Windows builds.
set(QUENDAL_RELEASE
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")

# The folders the installation makes are rwxr-xr-x whatever the builder's
# umask (CMake makes them 0777 & ~umask), so that the package is the same.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS quendal
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  BUNDLE DESTINATION .)

if(NOT (UNIX AND NOT APPLE))
  return()  # the rest is the freedesktop and Debian side
endif()

# Qt's project setup gives installed programs an $ORIGIN search path for
# libraries shipped beside them; this one uses the system's Qt only.
set_target_properties(quendal PROPERTIES INSTALL_RPATH "")

set(quendal_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(quendal_desktop_file ${quendal_packaging}/${QUENDAL_DESKTOP_ID}.desktop)
set(quendal_metainfo_file ${quendal_packaging}/${QUENDAL_DESKTOP_ID}.metainfo.xml)

# The id lives in CMake, in the file names and inside both files: catch a
# change made in one place only, and a version without its release entry.
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${quendal_desktop_file} ${quendal_metainfo_file})
foreach(file IN ITEMS ${quendal_desktop_file} ${quendal_metainfo_file})
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${file} is missing: its name must follow QUENDAL_DESKTOP_ID")
  endif()
endforeach()
file(STRINGS ${quendal_desktop_file} quendal_icon_line REGEX "^Icon=")
if(NOT quendal_icon_line STREQUAL "Icon=${QUENDAL_DESKTOP_ID}")
  message(FATAL_ERROR "${quendal_desktop_file}: expected Icon=${QUENDAL_DESKTOP_ID}")
endif()
file(READ ${quendal_metainfo_file} quendal_metainfo)
foreach(needle IN ITEMS
    "<id>${QUENDAL_DESKTOP_ID}</id>"
    "<launchable type=\"desktop-id\">${QUENDAL_DESKTOP_ID}.desktop</launchable>"
    "<release version=\"${QUENDAL_RELEASE}\"")
  string(FIND "${quendal_metainfo}" "${needle}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${quendal_metainfo_file} lacks ${needle}")
  endif()
endforeach()

install(FILES ${quendal_desktop_file}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${quendal_metainfo_file}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size IN ITEMS 16 32 48 64 128 256)
  install(FILES ${quendal_packaging}/icons/quendal-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${QUENDAL_DESKTOP_ID}.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/assets/quendal-icon.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${QUENDAL_DESKTOP_ID}.svg)
# Debian keeps it under the package name, not the project name of DOCDIR.
install(FILES ${quendal_packaging}/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quendal)

# The manual page, English and Chinese, compressed as Debian keeps them:
# gzip -n stores neither the file name nor a time, so rebuilds are identical.
find_program(QUENDAL_GZIP gzip REQUIRED)
set(quendal_man_pages)
foreach(folder IN ITEMS man man/zh_CN)
  set(copy ${PROJECT_BINARY_DIR}/${folder}/quendal.1)
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${folder}/quendal.1 ${copy}
    COMMAND ${QUENDAL_GZIP} -9 -n -f ${copy}
    DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/quendal.1
    COMMENT "Compressing the manual page ${folder}/quendal.1"
    VERBATIM)
  list(APPEND quendal_man_pages ${copy}.gz)
  # man/ holds the English page, man/zh_CN/ the Chinese one.
  string(REGEX REPLACE "^man" "" language "${folder}")
  install(FILES ${copy}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}${language}/man1)
endforeach()
add_custom_target(quendal_man_pages ALL DEPENDS ${quendal_man_pages})

# The Debian package: `cpack` in a Release build directory.
# The package names no address that does not exist: a maintainer's e-mail and
# a homepage come only from whoever builds it and has real ones.
set(QUENDAL_MAINTAINER "" CACHE STRING
  "Maintainer of the Debian package, as \"Name <e-mail>\" (empty: the maker's name alone)")
set(QUENDAL_HOMEPAGE_URL "" CACHE STRING "Homepage named by the Debian package (empty: none)")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quendal)
set(CPACK_PACKAGE_VENDOR "${QUENDAL_MAKER}")
set(CPACK_PACKAGE_VERSION "${QUENDAL_RELEASE}")
if(PROJECT_VERSION_TWEAK)
  string(APPEND CPACK_PACKAGE_VERSION ".${PROJECT_VERSION_TWEAK}")
endif()
if(QUENDAL_MAINTAINER)
  set(CPACK_PACKAGE_CONTACT "${QUENDAL_MAINTAINER}")
else()
  set(CPACK_PACKAGE_CONTACT "${QUENDAL_MAKER}")
endif()
if(QUENDAL_HOMEPAGE_URL)
  set(CPACK_PACKAGE_HOMEPAGE_URL "${QUENDAL_HOMEPAGE_URL}")
endif()
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION [=[
Quendal sizes a capacitive-dropper mains supply: a series capacitor, bridged
by a bleeder resistor, drops the mains voltage ahead of a Zener-regulated,
half-wave rectified low-voltage output. From the mains voltage and frequency
it computes the capacitance for a load current, or the reactance and the
current for a capacitance. The interface is in Simplified Chinese.

Such a supply is not isolated from the mains: every part of the circuit,
its output included, can carry mains voltage.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# dpkg-shlibdeps finds the libraries the program links (Qt Widgets, Gui,
# Core, fontconfig and the C++ run time); Qt loads its platform plugin at run
# time, so those are named here: X11's (xcb) is in qt6-qpa-plugins on Debian
# 12 and in libqt6gui6 on 13; Wayland's, for a compositor without Xwayland,
# in qt6-wayland. The glyphs of the program's own texts are built into it,
# but the title bar and the desktop's own menus draw its Chinese name in the
# desktop's fonts: a CJK font is recommended. System Information opens the
# desktop's own tool (KDE's Info Center, GNOME Settings) or HardInfo, through
# GLib's GIO, which comes in the package of the GLib that Qt links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, fonts-noto-cjk | fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "kinfocenter | gnome-control-center | hardinfo2 | hardinfo")
set(CPACK_QUENDAL_BUILD_TYPE "${CMAKE_BUILD_TYPE}")
set(CPACK_PROJECT_CONFIG_FILE ${quendal_packaging}/cpack-checks.cmake)
include(CPack)
