# The synthesiser's voices, effects and master stage, and the finished
# soundtrack decoded as a player would decode it.
add_executable(music_tests ${CMAKE_CURRENT_LIST_DIR}/music_synth.cpp
               ${CMAKE_CURRENT_LIST_DIR}/music_track.cpp)
target_link_libraries(music_tests PRIVATE amber_synth amber_mp3_decode GTest::gtest_main)
target_compile_definitions(music_tests PRIVATE AMBER_MP3="${PROJECT_BINARY_DIR}/amber_grid.mp3")
# The checks walk every sample of the track: optimise them in every build type.
target_compile_options(music_tests PRIVATE -O2)
add_dependencies(music_tests amber_music)
gtest_discover_tests(music_tests TEST_PREFIX "music." PROPERTIES LABELS music)
