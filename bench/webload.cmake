# Start to the login page's load: the launcher against a minimal GTK + WebKitGTK program;
# and the script bridge from AppLogin to the game running. Run through run-webload-bench.sh.
find_package(PkgConfig REQUIRED)
pkg_check_modules(KVR_PEER_WEBKIT REQUIRED IMPORTED_TARGET webkit2gtk-4.1 gtk+-3.0)
add_executable(kvr_webload_peer ${CMAKE_CURRENT_LIST_DIR}/WebLoadPeer.cpp)
target_link_libraries(kvr_webload_peer PRIVATE PkgConfig::KVR_PEER_WEBKIT)
kvr_warnings(kvr_webload_peer)

add_executable(kvr_applogin_bench ${CMAKE_CURRENT_LIST_DIR}/AppLoginBench.cpp)
target_link_libraries(kvr_applogin_bench PRIVATE kvr_ui)
target_sources(kvr_applogin_bench PRIVATE $<TARGET_OBJECTS:kvr_window_resources>)
kvr_warnings(kvr_applogin_bench)

add_executable(kvr_reports_bench ${CMAKE_CURRENT_LIST_DIR}/ReportsBench.cpp)
target_link_libraries(kvr_reports_bench PRIVATE kvr_delivery)
kvr_warnings(kvr_reports_bench)
