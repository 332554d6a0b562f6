# Settings that keep every step of the calculation one binary64 operation
# rounded to nearest: no contraction into fused multiply-add, no fast-math
# reassociation, and on 32-bit x86 SSE2 arithmetic instead of the x87's
# 80-bit registers.  PUBLIC, so they travel with the library to whatever
# links it.
function(vorlane_exact_float target)
  if(MSVC)
    target_compile_options(${target} PUBLIC /fp:precise)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      target_compile_options(${target} PUBLIC /arch:SSE2)
    endif()
  else()
    target_compile_options(${target} PUBLIC -ffp-contract=off -fno-fast-math)
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86)$"
       OR (CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$"))
      target_compile_options(${target} PUBLIC -msse2 -mfpmath=sse)
    endif()
  endif()
endfunction()
