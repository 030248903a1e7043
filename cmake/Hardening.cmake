# The hardening flags of the shipped binary, for Release builds and builds of
# type None, a distribution's package build (included by the top-level
# CMakeLists.txt only there, never in a sanitizer build). They are those
# `DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags` prints on Debian 12:
#   CPPFLAGS  -Wdate-time -D_FORTIFY_SOURCE=2
#   CXXFLAGS  -O2 -fstack-protector-strong -Wformat -Werror=format-security
#   LDFLAGS   -Wl,-z,relro -Wl,-z,now          (and PIE, the compiler's default)
# (-O2 is CMAKE_<LANG>_FLAGS_RELEASE, set in the top-level file), plus the
# two that Debian's later releases add and GCC 12 already has:
# -fstack-clash-protection and, on x86, -fcf-protection. Each of those two is
# taken only where the compiler accepts it.
#
# A package build passes the distribution's flags in CXXFLAGS and LDFLAGS
# (CMAKE_CXX_FLAGS, CMAKE_EXE_LINKER_FLAGS): a flag of the same kind given
# there is the distribution's choice and is not added a second time.
include(CheckCXXCompilerFlag)

set(TUMBLOX_GIVEN_FLAGS " ${CMAKE_CXX_FLAGS} ")
set(TUMBLOX_GIVEN_LINK_FLAGS " ${CMAKE_EXE_LINKER_FLAGS} ")
if(NOT TUMBLOX_GIVEN_FLAGS MATCHES " -D_FORTIFY_SOURCE")
  add_compile_definitions(_FORTIFY_SOURCE=2)
endif()
foreach(flag -Wdate-time -Wformat -Werror=format-security)
  if(NOT TUMBLOX_GIVEN_FLAGS MATCHES " ${flag} ")
    add_compile_options(${flag})
  endif()
endforeach()
if(NOT TUMBLOX_GIVEN_FLAGS MATCHES " -f(no-)?stack-protector")
  add_compile_options(-fstack-protector-strong)
endif()
foreach(name stack-clash-protection cf-protection)
  string(MAKE_C_IDENTIFIER "TUMBLOX_HAS_${name}" var)
  check_cxx_compiler_flag(-f${name} ${var})
  if(${var} AND NOT TUMBLOX_GIVEN_FLAGS MATCHES " -f(no-)?${name}[= ]")
    add_compile_options(-f${name})
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
foreach(option relro now)
  if(NOT TUMBLOX_GIVEN_LINK_FLAGS MATCHES "-z,${option}[ ,]")
    add_link_options(LINKER:-z,${option})
  endif()
endforeach()
