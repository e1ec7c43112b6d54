# CMake generated Testfile for 
# Source directory: /work/main/tests/util
# Build directory: /work/main/build/native/tests/util
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[util_tests]=] "/work/main/build/native/tests/util/util_tests")
set_tests_properties([=[util_tests]=] PROPERTIES  _BACKTRACE_TRIPLES "/work/main/tests/CMakeLists.txt;20;add_test;/work/main/tests/util/CMakeLists.txt;1;kvr_add_gtest;/work/main/tests/util/CMakeLists.txt;0;")
