# The drive handler's and the readers' sources, and the writer's: the
# libraries below and the fuzzers' own instrumented build take them from here.
set(AMBER_ARCHIVE_SOURCES cfs_handler_r.cpp cfs_reader.cpp cfs_png_r.cpp cfs_ase_r.cpp cfs_tiles.cpp)
# The inflate step: zlib, or in a browser the browser's own inflater.
if(EMSCRIPTEN)
  list(APPEND AMBER_ARCHIVE_SOURCES cfs_web.cpp)
else()
  list(APPEND AMBER_ARCHIVE_SOURCES cfs_inflate_zlib.cpp)
endif()
list(TRANSFORM AMBER_ARCHIVE_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
# How a fatal failure ends the process; the drive fuzzer brings its own.
set(AMBER_ARCHIVE_FATAL_SOURCE ${CMAKE_CURRENT_LIST_DIR}/cfs_fatal.cpp)
set(AMBER_DRIVE_WRITER_SOURCES ${CMAKE_CURRENT_LIST_DIR}/cfs_writer.cpp)
