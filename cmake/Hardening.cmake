# The hardening Debian gives its own packages (dpkg-buildflags with
# hardening=+all), for every Linux build of the program, since Debian's
# compiler turns none of it on by default: the stack protector for functions
# with arrays or address-taken locals, stack clash protection, fortified libc
# calls where the compiler can see the buffer sizes (optimised builds only:
# without optimisation glibc warns and checks nothing), control-flow
# protection (CET) where the processor has it, a position-independent
# executable, and relocations read-only after start with every symbol bound
# at start (full RELRO). scripts/hardening-check.sh reads them back from the
# program. Not in the sanitizer build, whose own checks these would hide.
if(QUENDAL_SANITIZE OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  return()
endif()

# -U first: a compiler that sets another level by default would otherwise
# warn about the redefinition.
set(QUENDAL_FORTIFY_OPTIONS $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE>
                            $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)

# Windows programs built with MinGW-w64: the stack protector, from GCC's
# libssp, linked statically like the rest of the run time (the programs link
# with -static, so they still need no MinGW DLL; libssp seeds its guard with
# CryptGenRandom), and MinGW-w64's fortified string and stdio functions, whose
# checks libssp also provides. ASLR, DEP and terminal-server awareness are
# linker options of the program (ui/win32/CMakeLists.txt); Windows probes every
# new stack page itself (___chkstk_ms), which is what stack clash protection
# adds on Linux. GCC cannot give Control Flow Guard (MSVC's /guard:cf: the
# compiler's table of valid call targets and the checked indirect calls), nor
# CET's shadow-stack compatibility flag, which GNU ld does not write.
# scripts/release.sh checks that libssp's handler is in each program.
if(WIN32)
  if(MINGW)
    add_compile_options(-fstack-protector-strong ${QUENDAL_FORTIFY_OPTIONS})
    add_link_options(-fstack-protector-strong)
  endif()
  return()
endif()

include(CheckCXXCompilerFlag)
include(CheckPIESupported)

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
check_pie_supported(LANGUAGES CXX)

add_compile_options(-fstack-protector-strong)
check_cxx_compiler_flag(-fstack-clash-protection QUENDAL_HAS_STACK_CLASH_PROTECTION)
if(QUENDAL_HAS_STACK_CLASH_PROTECTION)
  add_compile_options(-fstack-clash-protection)
endif()
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i.86")
  check_cxx_compiler_flag(-fcf-protection QUENDAL_HAS_CF_PROTECTION)
  if(QUENDAL_HAS_CF_PROTECTION)
    add_compile_options(-fcf-protection)
  endif()
endif()
add_compile_options(${QUENDAL_FORTIFY_OPTIONS})
add_link_options(-Wl,-z,relro -Wl,-z,now)
