# quendal_configure_manifest(<output file>)
# Writes the program's manifest (ui/win32/quendal.manifest.in) for the
# architecture being built: Windows refuses to start a program whose manifest
# names another processor architecture than its own ("side-by-side
# configuration is incorrect").
function(quendal_configure_manifest output)
  # MSVC names its target; a cross toolchain names the processor.
  set(processor "${CMAKE_CXX_COMPILER_ARCHITECTURE_ID}")
  if(NOT processor)
    set(processor "${CMAKE_SYSTEM_PROCESSOR}")
  endif()
  string(TOLOWER "${processor}" processor)
  if(processor MATCHES "^(arm64|aarch64)$")
    set(architecture arm64)
  elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(architecture amd64)
  elseif(CMAKE_SIZEOF_VOID_P EQUAL 4 AND NOT processor MATCHES "^arm")
    # Also a 32-bit build on a 64-bit Windows host, whose processor is AMD64.
    set(architecture x86)
  else()
    message(FATAL_ERROR "No manifest architecture for processor '${processor}'")
  endif()
  set(QUENDAL_MANIFEST_ARCHITECTURE ${architecture})
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../ui/win32/quendal.manifest.in ${output} @ONLY)
endfunction()
