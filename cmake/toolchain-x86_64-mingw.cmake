# 64-bit Windows: the same code built to run the Windows tests under 64-bit Wine on a
# machine that cannot run 32-bit programs. Never shipped.
set(KVR_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
