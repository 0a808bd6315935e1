# Shared test helpers: a private X server and the rendering bench.
add_library(amber_xvfb STATIC ${CMAKE_CURRENT_SOURCE_DIR}/xvfb.cpp)
target_include_directories(amber_xvfb PUBLIC ${PROJECT_SOURCE_DIR})

add_library(amber_gl_bench STATIC ${CMAKE_CURRENT_SOURCE_DIR}/gl_bench.cpp)
target_link_libraries(amber_gl_bench PUBLIC amber_core amber_xvfb amber_png_write)
target_compile_definitions(amber_gl_bench PRIVATE
  BENCH_FRAMES_DIR="${PROJECT_BINARY_DIR}/frames"
  BENCH_DRIVE="${PROJECT_BINARY_DIR}/amber_grid.cfs")

add_executable(engine_tests
  ${CMAKE_CURRENT_SOURCE_DIR}/engine_sequencer_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/engine_bench_test.cpp)
target_link_libraries(engine_tests PRIVATE amber_gl_bench GTest::gtest GTest::gtest_main)
gtest_discover_tests(engine_tests DISCOVERY_MODE PRE_TEST)

# The toolkit's ring is checked vertex by vertex: the linker routes its
# glVertex2fv calls through the test's recorder.
add_executable(toolkit_tests ${CMAKE_CURRENT_SOURCE_DIR}/engine_toolkit_test.cpp)
target_link_libraries(toolkit_tests PRIVATE amber_gl_bench GTest::gtest GTest::gtest_main)
target_link_options(toolkit_tests PRIVATE -Wl,--wrap=glVertex2fv)
gtest_discover_tests(toolkit_tests DISCOVERY_MODE PRE_TEST)

# The real program, run from the build folder beside its data.
find_library(X11_LIB X11 REQUIRED)
add_executable(program_tests ${CMAKE_CURRENT_SOURCE_DIR}/program_test.cpp)
target_link_libraries(program_tests PRIVATE amber_gl_bench amber_test_tmpdir amber_capture_tape
                      ${X11_LIB}
                      GTest::gtest GTest::gtest_main)
target_compile_definitions(program_tests PRIVATE
  AMBER_PROGRAM="$<TARGET_FILE:amber_grid>" AMBER_BUILD_DIR="${PROJECT_BINARY_DIR}")
add_dependencies(program_tests amber_grid amber_drive amber_music)
# Timed against the wall clock: they run alone. The long ones (the whole
# tape, every damaged drive run several times, quits at 20 moments of the
# tape, a broken soundtrack) take minutes each and are labelled slow.
gtest_discover_tests(program_tests DISCOVERY_MODE PRE_TEST TEST_FILTER "Program.*"
                     PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
gtest_discover_tests(program_tests DISCOVERY_MODE PRE_TEST
                     TEST_FILTER "ProgramRun.*:ProgramFatal.*:ProgramQuit.*:ProgramSound.*"
                     PROPERTIES TIMEOUT 1200 RUN_SERIAL TRUE LABELS slow)

add_executable(scene_tests
  ${CMAKE_CURRENT_SOURCE_DIR}/engine_rasta_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/scenes_loading_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/scenes_test.cpp)
target_link_libraries(scene_tests PRIVATE amber_gl_bench amber_drive_writer amber_test_tmpdir
                      GTest::gtest GTest::gtest_main)
add_dependencies(scene_tests amber_drive)
gtest_discover_tests(scene_tests DISCOVERY_MODE PRE_TEST)

# The scenes' INIT functions against the drive the build generates.
add_executable(scene_init_tests ${CMAKE_CURRENT_SOURCE_DIR}/scenes_init_test.cpp)
target_link_libraries(scene_init_tests PRIVATE amber_core GTest::gtest GTest::gtest_main)
target_compile_definitions(scene_init_tests PRIVATE
  AMBER_DRIVE="${PROJECT_BINARY_DIR}/amber_grid.cfs")
add_dependencies(scene_init_tests amber_drive)
gtest_discover_tests(scene_init_tests DISCOVERY_MODE PRE_TEST)
