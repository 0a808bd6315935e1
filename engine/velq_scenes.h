// The scene functions the tape and the loader call, and the hooks the
// player calls; scenes/ implements them, and the engine names them here so
// that its includes run downwards only. INIT reads a scene's assets (loader
// thread, no OpenGL), PREP sets up its OpenGL state when the tape enters it,
// CALL draws one frame.
#pragma once

#include "engine/velq2.h"

void VIS_INIT_Loading();
void VIS_PREP_Loading();
void VIS_CALL_Loading();
void VIS_BLUR_Loading();

void VIS_INIT_Thornax();
void VIS_PREP_ThornaxIn();
void VIS_CALL_ThornaxIn();
void VIS_PREP_Thornax();
void VIS_CALL_Thornax();

void VIS_INIT_Quibo();
void VIS_PREP_Quibo();
void VIS_CALL_Quibo1();
// Further frame functions that no tape entry names; they draw nothing.
void VIS_CALL_Quibo2();
void VIS_CALL_Quibo3();
void VIS_CALL_Quibo4();

void VIS_INIT_Angel();
void VIS_PREP_Angel();
void VIS_CALL_Angel();
void VIS_BLUR_Angel();

void VIS_INIT_Tree();
void VIS_PREP_Tree();
void VIS_CALL_Tree();

void VIS_INIT_TMagic();
void VIS_PREP_TMagic();
void VIS_CALL_TMagic();

void VIS_INIT_Glow();
void VIS_PREP_Glow();
void VIS_CALL_Glow();
// Further frame functions of the Glow scene that no tape entry names; they
// draw nothing.
void VIS_CALL_GlowB();
void VIS_CALL_BlowC();

void VIS_INIT_Zelto();
void VIS_PREP_Zelto();
void VIS_CALL_Zelto();
// The part of its CALL that draws new stripes now and then, for frames
// nobody sees, and those stripes back as a process starts.
void VIS_STATE_Zelto();
void VIS_REWIND_Zelto();

// The OpenGL state the scenes change back as a new context has it, for a
// player that starts the production again in one process.
void VIS_DefaultGL();
