# The generated drive: its entries through the program's readers, mesh and
# caption soundness, byte-for-byte repeatable generation, and each scene's
# camera set-up on the rendering bench.
add_executable(data_tests
  ${CMAKE_CURRENT_SOURCE_DIR}/data_drive_test.cpp)
target_link_libraries(data_tests PRIVATE amber_archive amber_test_tmpdir GTest::gtest
                      GTest::gtest_main)
target_compile_definitions(data_tests PRIVATE
  AMBER_DRIVE="${PROJECT_BINARY_DIR}/amber_grid.cfs"
  AMBER_MKDRIVE="$<TARGET_FILE:amber_mkdrive>")
add_dependencies(data_tests amber_drive)
gtest_discover_tests(data_tests DISCOVERY_MODE PRE_TEST)

add_executable(data_scene_tests ${CMAKE_CURRENT_SOURCE_DIR}/data_scenes_test.cpp)
target_link_libraries(data_scene_tests PRIVATE amber_gl_bench GTest::gtest GTest::gtest_main)
target_compile_definitions(data_scene_tests PRIVATE
  AMBER_DRIVE="${PROJECT_BINARY_DIR}/amber_grid.cfs")
add_dependencies(data_scene_tests amber_drive)
gtest_discover_tests(data_scene_tests DISCOVERY_MODE PRE_TEST)

# The cfs tool reads every entry of the drive as the program does.
add_test(NAME data_drive_verifies COMMAND cfs verify ${PROJECT_BINARY_DIR}/amber_grid.cfs)
