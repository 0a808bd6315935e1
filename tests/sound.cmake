# Sound layer tests: playback through SDL's disk audio driver compared with a
# direct decode; the test MP3 files are encoded by the tests with LAME.

add_executable(sound_test ${CMAKE_CURRENT_LIST_DIR}/sound_test.cpp)
target_link_libraries(sound_test PRIVATE amber_sound amber_mp3_decode amber_mp3_encode
  GTest::gtest_main)
gtest_discover_tests(sound_test DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120)

# A short bounded fuzz of opening and decoding a soundtrack (about 30 s);
# tests/fuzz/run_fuzz.sh runs it for longer.
add_test(NAME sound.fuzz COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/fuzz/run_fuzz.sh mp3 30
         ${PROJECT_BINARY_DIR}/mp3_fuzz ${PROJECT_BINARY_DIR}/amber_grid.mp3)
set_tests_properties(sound.fuzz PROPERTIES LABELS "sound;fuzz" SKIP_RETURN_CODE 77 TIMEOUT 300)
