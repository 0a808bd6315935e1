# The drive: our generators draw every picture and mesh from fixed seeds and
# write amber_grid.cfs beside the program. The drive is made again only when
# the generator (its code) changes.
add_library(amber_data_gen STATIC
  ${CMAKE_CURRENT_LIST_DIR}/glyphs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/noise.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/meshes.cpp)
target_include_directories(amber_data_gen PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(amber_data_gen PUBLIC PkgConfig::FREETYPE OpenGL::GLU)
# Generation is arithmetic on every pixel: keep it fast in every build type.
# It runs on one thread, so a sanitised build gains nothing from it.
target_compile_options(amber_data_gen PRIVATE -O2)
if(AMBER_TSAN)
  target_compile_options(amber_data_gen PRIVATE -fno-sanitize=thread)
endif()
if(AMBER_ASAN)
  target_compile_options(amber_data_gen PRIVATE -fno-sanitize=address,undefined)
endif()

add_executable(amber_mkdrive ${CMAKE_CURRENT_LIST_DIR}/mkdrive.cpp)
target_link_libraries(amber_mkdrive PRIVATE amber_data_gen amber_drive_writer)

set(AMBER_DATA_FONTS
  /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSerif-Italic.ttf)

add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/amber_grid.cfs
                   COMMAND amber_mkdrive ${PROJECT_BINARY_DIR}/amber_grid.cfs
                   DEPENDS amber_mkdrive ${AMBER_DATA_FONTS}
                   COMMENT "Generating the drive's pictures and meshes"
                   VERBATIM)
add_custom_target(amber_drive ALL DEPENDS ${PROJECT_BINARY_DIR}/amber_grid.cfs)

# Contact sheet: every picture and a shaded view of every mesh of a drive,
# as PNG files, to look at the data without running the program.
add_executable(amber_contact_sheet ${CMAKE_CURRENT_LIST_DIR}/contact_sheet.cpp)
target_link_libraries(amber_contact_sheet PRIVATE amber_data_gen amber_archive amber_png_write)
target_compile_options(amber_contact_sheet PRIVATE -O2)

# cmake --build <build> --target contact_sheet writes <build>/contact_sheet/.
add_custom_target(contact_sheet
                  COMMAND amber_contact_sheet ${PROJECT_BINARY_DIR}/amber_grid.cfs
                          ${PROJECT_BINARY_DIR}/contact_sheet
                  DEPENDS amber_drive
                  COMMENT "Drawing the drive's contact sheet"
                  VERBATIM)
