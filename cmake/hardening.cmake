# The hardening that Debian builds its programs with, where the compiler
# and the platform have it: position-independent executables, a stack
# protector, the C library's checked functions, and read-only relocations
# bound at start.  None of it touches the arithmetic: the figures stay the
# same to the last bit (the reference-vector and transcript tests show it).
include(CheckPIESupported)

function(vorlane_hardening target)
  if(MSVC OR WIN32 OR APPLE OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    return()
  endif()
  check_pie_supported(LANGUAGES CXX)
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_compile_options(${target} PRIVATE -fstack-protector-strong)
  # _FORTIFY_SOURCE needs the optimiser, and a sanitizer build brings its
  # own checks.
  if(NOT VORLANE_SANITIZE)
    target_compile_definitions(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  endif()
  target_link_options(${target} PRIVATE -Wl,-z,relro,-z,now)
endfunction()
