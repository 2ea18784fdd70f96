# Read by cpack before it builds a package (CPACK_PROJECT_CONFIG_FILE).
# A package is what users install: refuse one from a debug or test build.
if(NOT CPACK_QUENDAL_BUILD_TYPE STREQUAL "Release")
  message(FATAL_ERROR
    "The package is built from a Release build only; this build directory is "
    "'${CPACK_QUENDAL_BUILD_TYPE}'. Configure one with -DCMAKE_BUILD_TYPE=Release "
    "(scripts/package-test.sh does).")
endif()
