# The soundtrack: a small synthesiser renders the music from a fixed seed and
# LAME encodes it into amber_grid.mp3 beside the program. The file is made
# again only when the generator's code changes.

add_library(amber_synth STATIC ${CMAKE_CURRENT_LIST_DIR}/synth.cpp
            ${CMAKE_CURRENT_LIST_DIR}/synth_score.cpp)
target_include_directories(amber_synth PUBLIC ${PROJECT_SOURCE_DIR})
# The render touches every sample many times: keep it optimised in every
# build type. It runs on one thread, so a sanitised build gains nothing
# from instrumenting it.
target_compile_options(amber_synth PRIVATE -O2)
if(AMBER_TSAN)
  target_compile_options(amber_synth PRIVATE -fno-sanitize=thread)
endif()
if(AMBER_ASAN)
  target_compile_options(amber_synth PRIVATE -fno-sanitize=address,undefined)
endif()

add_executable(soundtrack ${CMAKE_CURRENT_LIST_DIR}/soundtrack.cpp)
target_link_libraries(soundtrack PRIVATE amber_synth amber_mp3_encode)

add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/amber_grid.mp3
                   COMMAND soundtrack ${PROJECT_BINARY_DIR}/amber_grid.mp3
                   DEPENDS soundtrack
                   COMMENT "Rendering the soundtrack"
                   VERBATIM)
add_custom_target(amber_music ALL DEPENDS ${PROJECT_BINARY_DIR}/amber_grid.mp3)
