# The package worker against the local channel: a real package host and collector.
kvr_add_gtest(package_worker_tests ${CMAKE_CURRENT_LIST_DIR}/PackageWorkerTest.cpp)
target_link_libraries(package_worker_tests PRIVATE kvr_delivery kvr_app kvr_fixture_servers)
kvr_require_local_channel(package_worker_tests)
set_property(TEST package_worker_tests APPEND PROPERTY FIXTURES_REQUIRED archive_fixtures)
if(WIN32)
  target_compile_definitions(package_worker_tests PRIVATE
    KVR_ARCHIVE_FIXTURES="Z:${kvr_archive_fixtures}" KVR_TEST_CODEC_LIBRARY="Z:${KVR_7Z_DLL}")
else()
  target_compile_definitions(package_worker_tests PRIVATE
    KVR_ARCHIVE_FIXTURES="${kvr_archive_fixtures}" KVR_TEST_CODEC_LIBRARY="/usr/lib/p7zip/7z.so")
endif()
