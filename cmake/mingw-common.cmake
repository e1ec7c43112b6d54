# What the MinGW-w64 toolchain files share; KVR_MINGW_ARCH is i686 or x86_64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KVR_MINGW_ARCH})
set(KVR_MINGW_PREFIX ${KVR_MINGW_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${KVR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KVR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KVR_MINGW_PREFIX}-windres)

# Libraries, headers and packages come only from the Windows roots (this sysroot, and
# the third-party cache the project adds), never from the host; programs run on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KVR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
