// The rendering test bench: the program's own 640x480 OpenGL window, made
// through SDL on a private Xvfb server, with helpers to run a scene the way
// the sequencer does and to read the frame back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int BENCH_WIDTH = 640;
constexpr int BENCH_HEIGHT = 480;

struct BENCH_Rgb {
    uint8_t r, g, b;
};

// Starts Xvfb and opens a 640x480 RGBA OpenGL window with a depth buffer.
// Call once per test process, before any OpenGL call.
void BENCH_Start();
// Opens the window on the display DISPLAY names.
void BENCH_OpenWindow();

// Opens a drive made by the test, as start-up opens the production's drive.
void BENCH_LoadDrive(const char* path);

// Opens the production drive and reads every scene's assets into the
// scenes' globals, as start-up and the loader do.
void BENCH_LoadProduction();

// Plays the tape from its start through the real sequencer up to tape entry
// `entry`: each earlier entry is entered (its PREP runs) and draws its
// frames, so `entry` inherits the GL state the tape leaves it. Returns with
// `entry` entered and its first frame drawn. Needs BENCH_LoadProduction.
void BENCH_EnterEntry(int entry);

// Draws one frame of the current entry through the sequencer at channel
// time t: clears, sets every clock to t and runs the sequencer, which
// evaluates the channels, and moves to the next entry when channel 0 has
// left its range. Returns what the sequencer returns: 1 after the tape's end.
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

// The back buffer as RGBA bytes, row 0 at the bottom of the window.
std::vector<uint8_t> BENCH_ReadFrame();

// The colour of window pixel (x, y) in a frame from BENCH_ReadFrame.
BENCH_Rgb BENCH_Pixel(const std::vector<uint8_t>& frame, int x, int y);

// What a frame shows, in window rows y0 to y1 - 1, of a subject picked out by
// its colour.
struct BENCH_Census {
    int count = 0;                                              // subject pixels
    int x0 = BENCH_WIDTH, y0 = BENCH_HEIGHT, x1 = -1, y1 = -1;  // their bounding box
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

// Writes RGBA pixels (row 0 at the bottom) to a PNG file.
void BENCH_SavePNG(const char* path, const std::vector<uint8_t>& rgba, int width, int height);
