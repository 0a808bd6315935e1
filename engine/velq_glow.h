// The glow: a scene renders its picture small into the 64 x 32 pixels at the
// window's lower-left corner, samples them, renders the picture at full size
// in the 640 x 320 band, then lays the sample over the band, stretched ten
// times as a grid of smoothly shaded quads at half opacity.
#pragma once

#include <cstdint>

constexpr int VELQ_GLW_WIDTH = 64;
constexpr int VELQ_GLW_HEIGHT = 32;
constexpr int VELQ_GLW_PIXELS = VELQ_GLW_WIDTH * VELQ_GLW_HEIGHT;

// The last sample as glReadPixels gives it: RGBA, bottom row first. Main thread.
extern uint8_t velq_glw_buffy01[VELQ_GLW_PIXELS * 4];
// Reserved for a second glow variant; nothing reads or writes it.
extern uint8_t velq_glw_buffy03[9000];
// The grid's column, row and sample counters, left where the last grid ended.
// Main thread, like everything here.
extern int32_t velq_glw_x;
extern int32_t velq_glw_y;
extern int32_t velq_glw_n;

// Preparation hooks; nothing needs preparing.
void VELQ_GLW_Prep01();
void VELQ_GLW_Prep03();
// Reads the 64 x 32 block at window pixel (0, 0) of the back buffer.
void VELQ_GLW_Sample01();
// Draws the last sample over the current viewport, taken as 640 x 320 units.
// Leaves blending and texturing off, the projection and model-view matrices
// as the grid used them, and the last sample's colour current. Through our
// own GL layer the default texture then holds the sample, under the picture
// settings of VELQ_RASTA_PictureTexture.
void VELQ_GLW_Shader01();
// The second variant's entry points: the same read, and no drawing.
void VELQ_GLW_Sample03();
void VELQ_GLW_Shader03();
