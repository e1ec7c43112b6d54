# The archive layer against real archives, made by a script before the tests run (the
# win32 tests run under Wine and cannot run the Linux archivers themselves).
set(kvr_archive_fixtures "${CMAKE_CURRENT_BINARY_DIR}/archive-fixtures" CACHE INTERNAL "Archives made for the tests")
add_test(NAME archive_fixtures
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/make-archive-fixtures.sh ${kvr_archive_fixtures})
set_tests_properties(archive_fixtures PROPERTIES FIXTURES_SETUP archive_fixtures)

kvr_add_gtest(archive_tests
  ${CMAKE_CURRENT_LIST_DIR}/ArchiveTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LoadedLibrary_${KVR_PLATFORM}.cpp)
target_link_libraries(archive_tests PRIVATE kvr_archive)
set_property(TEST archive_tests APPEND PROPERTY FIXTURES_REQUIRED archive_fixtures)
if(WIN32)
  # Wine maps the Linux root to drive Z:.
  target_compile_definitions(archive_tests PRIVATE
    KVR_ARCHIVE_FIXTURES="Z:${kvr_archive_fixtures}" KVR_TEST_CODEC_LIBRARY="Z:${KVR_7Z_DLL}")
else()
  target_compile_definitions(archive_tests PRIVATE
    KVR_ARCHIVE_FIXTURES="${kvr_archive_fixtures}" KVR_TEST_CODEC_LIBRARY="/usr/lib/p7zip/7z.so")
endif()
