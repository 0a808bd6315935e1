// The OpenGL 1.x calls the engine and the scenes make. They go to the
// system's OpenGL, or, built with AMBER_GL1, to our own layer over OpenGL ES
// 3.0, which is what a browser offers (WebGL 2).
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#ifdef AMBER_GL1
#include "platform/gl1.h"
#endif
