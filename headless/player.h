// What playing the production headless adds to the engine's stepping
// (engine/velq_play), for the tools and the tests: the program's 640x480
// OpenGL window on a private X server, frames read back, and when the
// soundtrack was asked for instead of playing it. Production time 0 is the
// program's start.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/velq_play.h"
#include "engine/velq_start.h"

// What PLAYER_SoundtrackStartUs reports before the soundtrack is asked for.
constexpr uint64_t PLAYER_NOT_PLAYED = UINT64_MAX;

// Opens a 640x480 RGBA OpenGL window with a depth buffer: on a private Xvfb
// server started for this process, or on DISPLAY where there is one and
// own_server is false. Once per process, before any OpenGL call.
void PLAYER_OpenScreen(bool own_server);

// VELQ_PLAY_Start in stepped play, with the soundtrack not yet asked for: the production
// from the drive at path at production time 0. A later call starts over.
void PLAYER_Start(const char* drive);

// When the scenes first asked for the soundtrack to play since the last
// start, in production time; PLAYER_NOT_PLAYED before.
uint64_t PLAYER_SoundtrackStartUs();

// The back buffer as RGBA bytes, row 0 at the bottom of the window.
std::vector<uint8_t> PLAYER_ReadFrame();

// Writes RGBA pixels (row 0 at the bottom) to a PNG file; the alpha channel
// is not part of the picture.
void PLAYER_SavePng(const char* path, const std::vector<uint8_t>& rgba, int width, int height);
