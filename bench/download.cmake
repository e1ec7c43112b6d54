# Our package transfer against curl on the same loopback server; run it through
# run-download-bench.sh.
add_executable(kvr_download_bench ${CMAKE_CURRENT_LIST_DIR}/DownloadBench.cpp)
target_link_libraries(kvr_download_bench PRIVATE kvr_delivery)
kvr_warnings(kvr_download_bench)
