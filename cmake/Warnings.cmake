# Strict warnings for our own targets; third-party code is never compiled with them.
function(kvr_warnings target)
  # -Wno-sign-conversion: GCC's -Wconversion leaves sign changes out in C++, and this says
  # so on purpose. The platform interfaces mix signed and unsigned sizes (DWORD, size_t,
  # int lengths); a cast is asked for where a value may be lost, not where only the sign
  # type changes.
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wno-sign-conversion -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
  # GCC 12 reports std::string copies as overlapping at -O3 (GCC bug 105329).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(KVR_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
