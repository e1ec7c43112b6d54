# The archive layer over the 7-Zip codec library and the package extraction.
add_library(kvr_archive STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Bit7z.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CodecAbi_${KVR_PLATFORM}.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CodecCallbacks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CodecLibrary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExtractFiles_${KVR_PLATFORM}.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExtractPackage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExtractPlan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ItemPath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SharedLibrary_${KVR_PLATFORM}.cpp
)
target_include_directories(kvr_archive PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kvr_archive PUBLIC kvr_util)
if(WIN32)
  # COM methods of the codec library use the stdcall convention on 32-bit Windows;
  # x86_64 has one calling convention (GCC would warn that stdcall is ignored).
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(kvr_comcall __stdcall)
  else()
    set(kvr_comcall "")
  endif()
  target_compile_definitions(kvr_archive PUBLIC KVR_COMCALL=${kvr_comcall})
  target_link_libraries(kvr_archive PUBLIC ole32)
else()
  target_compile_definitions(kvr_archive PUBLIC KVR_COMCALL=)
  target_link_libraries(kvr_archive PUBLIC ${CMAKE_DL_LIBS})
endif()
kvr_warnings(kvr_archive)
