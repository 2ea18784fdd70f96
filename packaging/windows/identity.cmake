# Prints the program's name, maker and version from cmake/AppIdentity.cmake
# as NAME=..., PUBLISHER=... and VERSION=... lines, for the shell scripts that
# build and test the release:
#   cmake -P packaging/windows/identity.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/AppIdentity.cmake)
execute_process(COMMAND ${CMAKE_COMMAND} -E echo
  "NAME=${QUENDAL_TITLE}\nPUBLISHER=${QUENDAL_MAKER}\nVERSION=${QUENDAL_VERSION}")
