# What the native build reads from the system, each with the Debian package
# that provides it (setup.sh installs them). Everything is looked for before
# anything is built, so that a missing package stops the configure with one
# line naming the file and the package, not a compiler or make error later.

set(amber_missing)
macro(amber_note_missing what package)
  list(APPEND amber_missing "${what} is missing: install Debian's ${package}")
endmacro()

function(amber_need_file path package)
  if(NOT EXISTS "${path}")
    amber_note_missing("${path}" ${package})
    set(amber_missing "${amber_missing}" PARENT_SCOPE)
  endif()
endfunction()

function(amber_need_header header package)
  string(MAKE_C_IDENTIFIER "AMBER_HEADER_${header}" var)
  find_path(${var} ${header})
  if(NOT ${var})
    amber_note_missing("${header}" ${package})
    set(amber_missing "${amber_missing}" PARENT_SCOPE)
  endif()
endfunction()

# A macro, so that the module's variables and imported target reach the caller.
macro(amber_need_module prefix module package)
  if(PKG_CONFIG_FOUND)
    pkg_check_modules(${prefix} QUIET IMPORTED_TARGET GLOBAL ${module})
  endif()
  if(NOT ${prefix}_FOUND)
    amber_note_missing("pkg-config's ${module}" ${package})
  endif()
endmacro()

find_package(PkgConfig QUIET)
if(NOT PKG_CONFIG_FOUND)
  amber_note_missing("pkg-config" pkg-config)
endif()
amber_need_module(SDL sdl libsdl1.2-compat-dev)
amber_need_module(MPG123 libmpg123 libmpg123-dev)
amber_need_module(FREETYPE freetype2 libfreetype-dev)
amber_need_module(PNG libpng libpng-dev)
amber_need_header(GL/gl.h libgl-dev)
amber_need_header(GL/glu.h libglu1-mesa-dev)
amber_need_header(zlib.h zlib1g-dev)
amber_need_header(X11/Xlib.h libx11-dev)
amber_need_header(lame/lame.h libmp3lame-dev)
# The drive's pictures and glyph meshes are drawn from these outlines.
set(AMBER_FONT_DIR /usr/share/fonts/truetype/dejavu)
set(AMBER_DATA_FONTS)
foreach(font DejaVuSans:fonts-dejavu-core DejaVuSans-Bold:fonts-dejavu-core
             DejaVuSansCondensed-Bold:fonts-dejavu-extra DejaVuSerif-Italic:fonts-dejavu-extra)
  string(REPLACE ":" ";" font ${font})
  list(GET font 0 name)
  list(GET font 1 package)
  amber_need_file(${AMBER_FONT_DIR}/${name}.ttf ${package})
  list(APPEND AMBER_DATA_FONTS ${AMBER_FONT_DIR}/${name}.ttf)
endforeach()
if(AMBER_TESTS)
  amber_need_header(gtest/gtest.h libgtest-dev)
  # The OpenGL 1.x layer, built natively for its test only.
  amber_need_header(GLES3/gl3.h libgles-dev)
endif()

# Indented, each stays on one line: CMake wraps only unindented text.
if(amber_missing)
  list(JOIN amber_missing "\n " lines)
  message(FATAL_ERROR " ${lines}")
endif()
