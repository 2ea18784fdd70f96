# Who the program is: its title, maker, desktop id and version. Read before
# project() by the main build and by the stand-alone fuzz build, so that every
# appinfo.h, the Windows version record and the package agree.

set(QUENDAL_TITLE "Quendal")
set(QUENDAL_MAKER "Morvik")
# Names the desktop entry, the icon and the AppStream record, and is what
# Wayland matches the window against.
set(QUENDAL_DESKTOP_ID "io.github.morvik.quendal")
# major.minor.patch.tweak; the tweak number only counts Windows builds.
set(QUENDAL_RELEASE_VERSION "1.0.0.0")

# For one build that must carry another number (a test build of the Windows
# installer, say); empty everywhere else.
set(QUENDAL_VERSION_OVERRIDE "" CACHE STRING
  "Version major.minor.patch.tweak of this build instead of the release's")
if(QUENDAL_VERSION_OVERRIDE)
  set(QUENDAL_VERSION "${QUENDAL_VERSION_OVERRIDE}")
else()
  set(QUENDAL_VERSION "${QUENDAL_RELEASE_VERSION}")
endif()

if(NOT QUENDAL_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "Version '${QUENDAL_VERSION}' is not major.minor.patch.tweak")
endif()
set(QUENDAL_VERSION_MAJOR ${CMAKE_MATCH_1})
set(QUENDAL_VERSION_MINOR ${CMAKE_MATCH_2})
set(QUENDAL_VERSION_PATCH ${CMAKE_MATCH_3})
set(QUENDAL_VERSION_TWEAK ${CMAKE_MATCH_4})
