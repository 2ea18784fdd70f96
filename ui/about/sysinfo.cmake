# GetKeyValue and StartSysInfo: the About dialog's System Information button
# without Qt, so that the Windows cross-build can compile and test it too.
# Included once from ui/, whether or not the Qt interface is built.
include_guard(GLOBAL)

add_library(quendal_sysinfo STATIC ${CMAKE_CURRENT_LIST_DIR}/sysinfo.cpp)
target_include_directories(quendal_sysinfo PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quendal_sysinfo PUBLIC quendal_core quendal_platform)
quendal_set_warnings(quendal_sysinfo)
