# cfs: lists, verifies, extracts and packs drives. It lands in the build
# folder beside the program.
add_executable(cfs ${CMAKE_CURRENT_LIST_DIR}/cfs.cpp ${CMAKE_CURRENT_LIST_DIR}/cfs_files.cpp)
target_link_libraries(cfs PRIVATE amber_drive_writer amber_archive amber_png_write PkgConfig::PNG)
set_target_properties(cfs PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
