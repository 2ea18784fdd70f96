# Installs the program in the freedesktop layout (executable, desktop entry,
# hicolor icons, AppStream metainfo, manual pages, copyright), which is what
# the Debian package holds (debian/rules installs it so). Include it after the
# targets are defined.

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
install(FILES ${PROJECT_SOURCE_DIR}/debian/copyright
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
