# The archive layer against real archives, made by a script before the tests run (the
# win32 tests run under Wine and cannot run the Linux archivers themselves).
set(kvr_archive_fixtures "${CMAKE_CURRENT_BINARY_DIR}/archive-fixtures" CACHE INTERNAL "Archives made for the tests")
add_test(NAME archive_fixtures
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/make-archive-fixtures.sh ${kvr_archive_fixtures})
set_tests_properties(archive_fixtures PROPERTIES FIXTURES_SETUP archive_fixtures)

# A test program that reads the generated archives (KVR_ARCHIVE_FIXTURES) and, with
# CODEC, loads the codec library from KVR_TEST_CODEC_LIBRARY; paths as the program sees
# them (KVR_PROGRAM_ROOT).
function(kvr_use_archive_fixtures test)
  cmake_parse_arguments(PARSE_ARGV 1 arg "CODEC" "" "")
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED archive_fixtures)
  target_compile_definitions(${test} PRIVATE KVR_ARCHIVE_FIXTURES="${KVR_PROGRAM_ROOT}${kvr_archive_fixtures}")
  if(arg_CODEC)
    # The library the launcher carries (resources/CMakeLists.txt).
    target_compile_definitions(${test} PRIVATE
      KVR_TEST_CODEC_LIBRARY="${KVR_PROGRAM_ROOT}$<TARGET_PROPERTY:kvr_launcher_embedded,KVR_CODEC_LIBRARY_FILE>")
  endif()
endfunction()

kvr_add_gtest(archive_tests
  ${CMAKE_CURRENT_LIST_DIR}/ArchiveTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LoadedLibrary_${KVR_PLATFORM}.cpp)
target_link_libraries(archive_tests PRIVATE kvr_archive)
kvr_use_archive_fixtures(archive_tests CODEC)

# The rules for item names and the extraction plan, without the codec library.
kvr_add_gtest(archive_rules_tests ${CMAKE_CURRENT_LIST_DIR}/ArchiveRulesTest.cpp)
target_link_libraries(archive_rules_tests PRIVATE kvr_archive)
