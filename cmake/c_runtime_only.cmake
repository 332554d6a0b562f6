# The program needs nothing at run time but the C library: it throws no
# exceptions, allocates with malloc, and converts numbers with fast_float's
# headers, compiled in, so the C++ runtime it would otherwise load at every
# start (binding libstdc++ costs more than the rest of a short run) is left
# out.  Not linked
# statically either: the executable depends on libc alone, as a Debian
# package expects.
function(vorlane_c_runtime_only target)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang" OR MSVC)
    return()
  endif()
  target_compile_options(${target} PRIVATE -fno-exceptions)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE" AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
    target_link_options(${target} PRIVATE -Wl,--as-needed)
  endif()
endfunction()
