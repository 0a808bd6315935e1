# The scenes' sources: one file a scene, the drawing steps they share and
# their rewind. They go into the engine's library, amber_core: the tape
# names the scene functions and the scenes draw with the engine's helpers.
set(AMBER_SCENES_SOURCES
  vis_draw.cpp vis_loading.cpp vis_thornax.cpp vis_quibo.cpp vis_angel.cpp
  vis_tree.cpp vis_tmagic.cpp vis_glow.cpp vis_zelto.cpp vis_default_gl.cpp)
list(TRANSFORM AMBER_SCENES_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
