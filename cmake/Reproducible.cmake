# The same sources give the same files, whatever folder they are built in and
# whenever: no source or build folder in any object (assertion texts, debug
# information), and no link time in a Windows program's header (MinGW's ld
# writes one unless told not to). Dates that a packager needs come from
# SOURCE_DATE_EPOCH (scripts/release.sh sets it to the commit's time).
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}/="
                      "-ffile-prefix-map=${PROJECT_BINARY_DIR}/=")
endif()
if(MINGW)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
