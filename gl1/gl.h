// The OpenGL 1.x calls the engine and the scenes make. They go to the
// system's OpenGL, or, built with AMBER_GL1, to our own layer over OpenGL ES
// 3.0, which is what a browser offers (WebGL 2).
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

// Windows' headers, which its GL headers bring in, still define the 16-bit
// near and far pointer keywords, as nothing; the scenes use the words.
#ifdef _WIN32
#undef near
#undef far
#endif

#ifdef AMBER_GL1
#include "gl1/gl1.h"

#define glEnable GL1_Enable
#define glDisable GL1_Disable
#define glViewport GL1_Viewport
#define glClearColor GL1_ClearColor
#define glClear GL1_Clear
#define glBlendFunc GL1_BlendFunc
#define glFrontFace GL1_FrontFace
#define glCullFace GL1_CullFace
#define glPushAttrib GL1_PushAttrib
#define glPopAttrib GL1_PopAttrib
#define glPolygonMode GL1_PolygonMode
#define glShadeModel GL1_ShadeModel
#define glMatrixMode GL1_MatrixMode
#define glLoadIdentity GL1_LoadIdentity
#define glLoadMatrixf GL1_LoadMatrixf
#define glPushMatrix GL1_PushMatrix
#define glPopMatrix GL1_PopMatrix
#define glTranslatef GL1_Translatef
#define glRotatef GL1_Rotatef
#define glOrtho GL1_Ortho
#define gluPerspective GL1_Perspective
#define gluLookAt GL1_LookAt
#define glGetFloatv GL1_GetFloatv
#define glBegin GL1_Begin
#define glEnd GL1_End
#define glVertex3f GL1_Vertex3f
#define glVertex3fv GL1_Vertex3fv
#define glVertex2f GL1_Vertex2f
#define glVertex2fv GL1_Vertex2fv
#define glVertex2i GL1_Vertex2i
#define glNormal3f GL1_Normal3f
#define glTexCoord2f GL1_TexCoord2f
#define glColor4f GL1_Color4f
#define glColor4fv GL1_Color4fv
#define glColor4ub GL1_Color4ub
#define glNewList GL1_NewList
#define glEndList GL1_EndList
#define glCallList GL1_CallList
#define glLightf GL1_Lightf
#define glLightfv GL1_Lightfv
#define glMaterialf GL1_Materialf
#define glMateriali GL1_Materiali
#define glMaterialfv GL1_Materialfv
#define glColorMaterial GL1_ColorMaterial
#define glTexImage2D GL1_TexImage2D
#define glTexParameterf GL1_TexParameterf
#define glTexEnvf GL1_TexEnvf
#define glPixelStorei GL1_PixelStorei
#define glReadPixels GL1_ReadPixels
#define glFlush GL1_Flush
#endif
