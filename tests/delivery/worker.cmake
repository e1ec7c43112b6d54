# The package worker against the local channel: a real package host and collector.
kvr_add_gtest(package_worker_tests LOCAL_CHANNEL ${CMAKE_CURRENT_LIST_DIR}/PackageWorkerTest.cpp)
target_link_libraries(package_worker_tests PRIVATE kvr_delivery kvr_app_base kvr_fixture_servers)
kvr_use_archive_fixtures(package_worker_tests CODEC)
