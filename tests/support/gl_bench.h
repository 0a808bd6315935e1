// The rendering test bench: the headless player's window, with helpers to
// play the tape up to a scene, draw it at chosen channel values and look at
// what the frame shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "headless/player.h"

struct BENCH_Rgb {
    uint8_t r, g, b;
};

// Opens the player's window on a private X server. Call once per test
// process, before any OpenGL call.
void BENCH_Start();

// Starts the production drive in the player and plays the loading entry
// until every scene's assets are in, drawing nothing.
void BENCH_LoadProduction();

// Starts the production drive in the player and plays it in virtual time
// up to tape entry `entry`, drawing the last frame of each earlier entry and
// the first of the next, so that `entry` inherits the GL state the tape
// leaves it. Returns with `entry` entered and its first frame drawn.
// Another drive may be given.
void BENCH_EnterEntry(int entry, const char* drive = BENCH_DRIVE);

// How long tape entry e (1 to 10) plays, in seconds.
float BENCH_EntrySeconds(int e);

// Draws the player's frame t seconds after the current entry started; when
// the entry has ended by then, the next entry's first frame. Returns 1
// after the tape's end.
int BENCH_TapeFrame(float t);

// Draws one frame of the current entry with channel values 0 and 1 set
// directly, the others as they stand.
void BENCH_DrawAt(float value0, float value1);

// Whole-window viewport with a projection of one unit per window pixel,
// origin at the lower left; the modelview matrix is reset.
void BENCH_WindowPixels();

// Clears colour and depth, then runs prep (if any) and call, as the
// sequencer does on the first frame of an entry.
void BENCH_RunScene(void (*prep)(), void (*call)());

// The colour of window pixel (x, y) in a frame from PLAYER_ReadFrame.
BENCH_Rgb BENCH_Pixel(const std::vector<uint8_t>& frame, int x, int y);

// What a frame shows, in window rows y0 to y1 - 1, of a subject picked out by
// its colour.
struct BENCH_Census {
    int count = 0;                                                          // subject pixels
    int x0 = VELQ_SCREEN_WIDTH, y0 = VELQ_SCREEN_HEIGHT, x1 = -1, y1 = -1;  // their bounding box
    double mean_x = 0;
    int darkest = 255, brightest = 0;  // their luma
    long red = 0, blue = 0;            // their summed channels
    double brightness = 0;             // mean r + g + b over all the rows' pixels
};

// The rows of the picture band, between the letterbox bars.
constexpr int BENCH_BAND_Y0 = 80;
constexpr int BENCH_BAND_Y1 = 400;

BENCH_Census BENCH_Count(const std::vector<uint8_t>& frame, bool (*subject)(BENCH_Rgb),
                         int y0 = BENCH_BAND_Y0, int y1 = BENCH_BAND_Y1);

// Writes an RGBA frame (row 0 at the bottom) as a PNG for a person to look
// at; returns the path written, under the build's frames/ folder.
std::string BENCH_SaveFrame(const std::vector<uint8_t>& frame, const std::string& name);
