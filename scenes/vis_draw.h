// Drawing steps every scene shares: meshes, the window-pixel and perspective
// set-ups, the letterbox bars and the caption pictures.
#pragma once

#include "archive/cfs.h"
#include "gl1/gl.h"

// Emits mesh's triangles in stored order, each led by its own normal, in
// one GL_TRIANGLES batch (a software renderer pays for every batch); norms
// may be null for a mesh drawn without normals.
void VIS_EmitMesh(const CFS_Mesh* mesh, const CFS_Norms* norms);

// VIS_EmitMesh for a mesh the scenes draw as a solid. Where its reader found
// it solid (closed shells whose faces turn outward, counter-clockwise as seen
// from outside) its back faces are culled: under the depth test its own
// front faces hide them anyway, and a software renderer spends most of a lit
// frame on triangles. Any other mesh from a drive is drawn whole. The polygon
// state it sets is put back as it found it.
void VIS_EmitSolid(const CFS_Mesh* mesh, const CFS_Norms* norms);

// Whole-window viewport, one unit per window pixel from the lower-left
// corner, model-view current and reset.
void VIS_WindowPixels();

// Gives light its ambient, diffuse and specular colours, then its position,
// which the current model-view matrix transforms.
void VIS_Light(GLenum light, const GLfloat* ambient, const GLfloat* diffuse,
               const GLfloat* specular, const GLfloat* position);

// Lets the current colour set the front ambient and diffuse material, with
// the given front specular colour and shininess.
void VIS_ColourMaterial(const GLfloat* specular, GLfloat shininess);

// A 45-degree perspective from 1 to far, model-view current.
void VIS_Perspective(double aspect, double far);

// How many window rows each letterbox bar covers.
constexpr int VIS_BAR_ROWS = 80;

// The black bars over the bottom and top VIS_BAR_ROWS rows, as one batch of two quads
// at the given depths; the caller sets the colour.
void VIS_LetterboxBars(GLfloat bottom_z, GLfloat top_z);

// Runs a picture's list with texturing on, moved by (x, y, z).
void VIS_Caption(GLuint list, GLfloat x, GLfloat y, GLfloat z);
