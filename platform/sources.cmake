# The sound layer's sources: the library and the soundtrack fuzzer's own
# instrumented build take them from here.
set(AMBER_SOUND_SOURCES ${CMAKE_CURRENT_LIST_DIR}/fsound.cpp)
