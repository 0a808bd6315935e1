# Sound layer tests: playback through SDL's disk audio driver compared with a
# direct decode; the test MP3 files are encoded by the tests with LAME.
find_path(AMBER_LAME_INCLUDE_DIR lame/lame.h REQUIRED)
find_library(AMBER_LAME_LIBRARY mp3lame REQUIRED)

add_executable(sound_test ${CMAKE_CURRENT_LIST_DIR}/sound_test.cpp)
target_include_directories(sound_test PRIVATE ${AMBER_LAME_INCLUDE_DIR})
target_link_libraries(sound_test PRIVATE amber_sound amber_mp3_decode ${AMBER_LAME_LIBRARY}
  GTest::gtest_main)
gtest_discover_tests(sound_test DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120)
