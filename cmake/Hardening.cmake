# The hardening that Debian's dpkg-buildflags gives with DEB_BUILD_MAINT_OPTIONS=
# hardening=+all, as plain options so that a build without Debian's tools gets it
# too: fortified libc calls and format checks, stack protector and stack clash
# protection, control-flow protection, a position-independent executable, and a
# global offset table made read-only at start (relro with bindnow). Fortify needs
# the optimiser, so only the optimised builds get it (not the sanitizer build of
# the tests).
option(IMPORTARCOT_HARDENING "Build optimised binaries with the hardening flags of Debian" ON)
if(IMPORTARCOT_HARDENING AND CMAKE_SYSTEM_NAME STREQUAL "Linux"
   AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  include(CheckPIESupported)
  check_pie_supported(LANGUAGES CXX)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  set(optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
  target_compile_options(project_options INTERFACE
    "$<${optimised}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>"
    -fstack-protector-strong -fstack-clash-protection -Wformat -Werror=format-security)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i.86")
    target_compile_options(project_options INTERFACE -fcf-protection)
  endif()
  target_link_options(project_options INTERFACE -Wl,-z,relro -Wl,-z,now)
endif()
