// The encoder: Debian's ffmpeg, run as a child process and fed raw frames
// and samples through pipes. The video is encoded while the frames are
// made; the soundtrack, whose start is known only once the tape reaches
// it, is muxed in afterwards without encoding the video again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int CAPTURE_AUDIO_RATE = 44100;

// The video's frame. The 4:3 picture fills its height, centred between
// black bars where the frame is wider.
struct CAPTURE_Size {
    int width;
    int height;
};
constexpr CAPTURE_Size CAPTURE_SIZE_1080P{1920, 1080};
constexpr int CAPTURE_MAX_SCALE = 8;

// Starts ffmpeg encoding 640 x 480 BGRA frames, bottom row first, at fps
// and size into a temporary file (beside out when out is a file). Ends the
// process with a message when ffmpeg cannot run or out cannot be written.
void CAPTURE_EncodeStart(const std::string& out, int fps, CAPTURE_Size size);

// Hands one frame to the encoder.
void CAPTURE_EncodeFrame(const uint8_t* bgra);

// Ends the video and writes out: the video with pcm (16-bit stereo at
// CAPTURE_AUDIO_RATE) as AAC audio.
void CAPTURE_EncodeFinish(const std::vector<int16_t>& pcm);
