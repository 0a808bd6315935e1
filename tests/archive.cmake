# Drive handler, readers, writer and the cfs tool. Fatal failures are
# checked in child processes; the fuzz run builds its own instrumented copy
# of the readers with clang.
add_executable(archive_tests ${CMAKE_CURRENT_LIST_DIR}/archive_handler.cpp
               ${CMAKE_CURRENT_LIST_DIR}/archive_readers.cpp ${CMAKE_CURRENT_LIST_DIR}/archive_support.cpp)
target_link_libraries(archive_tests PRIVATE amber_drive_writer amber_archive amber_test_tmpdir
                      GTest::gtest_main)
gtest_discover_tests(archive_tests TEST_PREFIX "archive." PROPERTIES LABELS archive)

add_executable(archive_tool_tests ${CMAKE_CURRENT_LIST_DIR}/archive_tool.cpp
               ${CMAKE_CURRENT_LIST_DIR}/archive_support.cpp)
target_link_libraries(archive_tool_tests PRIVATE amber_drive_writer amber_archive amber_png_write
                      PkgConfig::PNG
                      amber_test_tmpdir GTest::gtest_main)
target_compile_definitions(archive_tool_tests PRIVATE CFS_TOOL="$<TARGET_FILE:cfs>")
add_dependencies(archive_tool_tests cfs)
gtest_discover_tests(archive_tool_tests TEST_PREFIX "archive." PROPERTIES LABELS archive)

# A short bounded fuzz of the read path (about 30 s); tests/fuzz/run_fuzz.sh
# runs it for longer.
add_test(NAME archive.fuzz
         COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/fuzz/run_fuzz.sh drive 30 ${PROJECT_BINARY_DIR}/fuzz)
set_tests_properties(archive.fuzz PROPERTIES LABELS "archive;fuzz" SKIP_RETURN_CODE 77 TIMEOUT 300)
