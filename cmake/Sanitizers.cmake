# AddressSanitizer and UndefinedBehaviorSanitizer for every target defined
# after this file is included; the "asan" preset turns it on. Recovery is off,
# so the first report ends the process and the test that tripped it fails.
option(QUENDAL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(QUENDAL_SANITIZE)
  if(MSVC)
    message(FATAL_ERROR "QUENDAL_SANITIZE needs GCC or Clang")
  endif()
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  # Bounds checks inside the standard containers, which ASan alone misses
  # when an index stays within the allocated capacity. ABI-neutral.
  add_compile_definitions(_GLIBCXX_ASSERTIONS)
  # For the canary test, which must see both sanitizers catch their faults.
  add_compile_definitions(QUENDAL_SANITIZED)
endif()
