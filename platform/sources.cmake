# The one fatal path, which the drive fuzzer's seed maker links too, and
# how the process ends.
set(AMBER_FATAL_SOURCES ${CMAKE_CURRENT_LIST_DIR}/fatal.cpp)
if(EMSCRIPTEN)
  set(AMBER_ENDING_SOURCES ${CMAKE_CURRENT_LIST_DIR}/ending_web.cpp)
elseif(WIN32)
  set(AMBER_ENDING_SOURCES ${CMAKE_CURRENT_LIST_DIR}/ending.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/ending_win.cpp)
else()
  set(AMBER_ENDING_SOURCES ${CMAKE_CURRENT_LIST_DIR}/ending.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/ending_posix.cpp)
endif()

# The tools' output files; the drive fuzzer's seed maker writes drives too.
set(AMBER_OUTPUT_FILE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/output_file.cpp)
