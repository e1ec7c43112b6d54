# 32-bit Windows, the product: MinGW-w64 with the posix thread model (std::thread,
# std::mutex) and a static runtime.
set(KVR_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
