# The package worker against the local channel: a real package host and collector.
kvr_add_gtest(package_worker_tests LOCAL_CHANNEL ${CMAKE_CURRENT_LIST_DIR}/PackageWorkerTest.cpp)
target_link_libraries(package_worker_tests PRIVATE kvr_delivery kvr_app_base kvr_fixture_servers)
kvr_use_archive_fixtures(package_worker_tests CODEC)
# A party on the way that changes the package's bytes.
kvr_require_servers(package_worker_tests channel_tampering_proxy)

# The same program with the game folder on a volume too small for the game (native,
# as root: the volume is a tmpfs in a mount namespace of the test's own), in the test
# run's network namespace for the local channel.
if(NOT WIN32)
  add_test(NAME package_worker_small_volume COMMAND ${KVR_NETNS_EXEC} ${CMAKE_CURRENT_LIST_DIR}/small-volume.sh
    $<TARGET_FILE:package_worker_tests> --gtest_filter=WorkerRun.TooLittleDiskSpace*)
  set_tests_properties(package_worker_small_volume PROPERTIES SKIP_RETURN_CODE 77
    ENVIRONMENT "TZ=CET-1CEST,M3.5.0,M10.5.0/3" FIXTURES_REQUIRED archive_fixtures)
  kvr_require_local_channel(package_worker_small_volume)
endif()

# Debian's nginx as the package host of the update and repair runs and the kill test, in
# the test run's network namespace beside the local channel: it serves the real packages
# the tests put below its root and logs every response (worker-nginx/access.log).
kvr_server_fixture(worker_nginx_host NETNS ${KVR_PYTHON} ${CMAKE_SOURCE_DIR}/tests/fixtures/nginx_host.py
  --root ${KVR_FIXTURE_STATE}/worker-nginx-root --state ${KVR_FIXTURE_STATE}/worker-nginx)
kvr_require_servers(package_worker_tests worker_nginx_host)
