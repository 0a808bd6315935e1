# The sound layer's sources: the library and the soundtrack fuzzer's own
# instrumented build take them from here. In a browser it plays over Web
# Audio.
if(EMSCRIPTEN)
  set(AMBER_SOUND_SOURCES ${CMAKE_CURRENT_LIST_DIR}/fsound_web.cpp)
else()
  set(AMBER_SOUND_SOURCES ${CMAKE_CURRENT_LIST_DIR}/fsound.cpp)
endif()
