# Our extraction against 7z on the same archive and codec library; run it through
# run-extract-bench.sh.
add_executable(kvr_extract_bench ${CMAKE_CURRENT_LIST_DIR}/ExtractBench.cpp)
target_link_libraries(kvr_extract_bench PRIVATE kvr_delivery)
kvr_warnings(kvr_extract_bench)
