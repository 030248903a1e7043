# The hardening flags of the shipped binary, for Release builds (included by
# the top-level CMakeLists.txt only there, never in a sanitizer build). They
# are those `DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags` prints on
# Debian 12:
#   CPPFLAGS  -Wdate-time -D_FORTIFY_SOURCE=2
#   CXXFLAGS  -O2 -fstack-protector-strong -Wformat -Werror=format-security
#   LDFLAGS   -Wl,-z,relro -Wl,-z,now          (and PIE, the compiler's default)
# (-O2 is CMAKE_<LANG>_FLAGS_RELEASE, set in the top-level file), plus the
# two that Debian's later releases add and GCC 12 already has:
# -fstack-clash-protection and, on x86, -fcf-protection. Each of those two is
# taken only where the compiler accepts it.
include(CheckCXXCompilerFlag)

add_compile_definitions(_FORTIFY_SOURCE=2)
add_compile_options(-Wdate-time -Wformat -Werror=format-security -fstack-protector-strong)
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "TUMBLOX_HAS${flag}" var)
  check_cxx_compiler_flag(${flag} ${var})
  if(${var})
    add_compile_options(${flag})
  endif()
endforeach()

# Position independent executables, as Debian's compiler makes by default;
# said here for compilers that do not. -fPIE, not the -fPIC that CMake's
# POSITION_INDEPENDENT_CODE gives static libraries: every library here is
# static and linked into a program, and under -fPIC GCC may no longer inline
# a library's own functions into each other (Board::NoMovesLeft took four
# times as long). A shared library, should one come, needs -fPIC instead.
add_compile_options(-fPIE)
add_link_options(-pie)

# Relocations read-only after start-up, all symbols bound at start-up.
add_link_options(LINKER:-z,relro LINKER:-z,now)
