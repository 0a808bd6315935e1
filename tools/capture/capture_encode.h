// The encoder: Debian's ffmpeg, run as a child process and fed raw frames
// and samples through pipes. Each stretch of the video is encoded while its
// frames are made, and the sound as soon as the tape has reached the
// soundtrack's start; then the stretches are joined and the sound muxed in,
// neither encoded again.
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

// Claims out and the files in which the video's stretches wait to be
// joined, one per stretch, beside out when out is a file; returns their
// paths. Ends the process with a message when out cannot be written.
std::vector<std::string> CAPTURE_Claim(const std::string& out, int stretches, bool lossless);

// Starts ffmpeg encoding 640 x 480 BGRA frames, bottom row first, at fps
// and size into video: H.264 in MP4, or FFV1 in Matroska when lossless; on
// one thread where one_thread, else on as many as ffmpeg picks. Ends the
// process with a message when ffmpeg cannot run.
void CAPTURE_EncodeStart(const std::string& video, int fps, CAPTURE_Size size, bool lossless,
                         bool one_thread);

// Where the next frame goes: 640 x 480 BGRA, bottom row first.
uint8_t* CAPTURE_NextFrame();

// Hands the frame written at CAPTURE_NextFrame to the encoder.
void CAPTURE_EncodeFrame();

// Waits until ffmpeg has written every frame into video.
void CAPTURE_EncodeEnd(const std::string& video);

// Starts encoding pcm (16-bit stereo at CAPTURE_AUDIO_RATE), the sound of
// out, as AAC (FLAC when lossless) into a file beside out, while the frames
// are still being made.
void CAPTURE_SoundStart(const std::string& out, bool lossless, std::vector<int16_t> pcm);

// Writes out: the videos joined in order, with the sound CAPTURE_SoundStart
// encodes, neither encoded again; removes the videos and the sound's file.
void CAPTURE_Join(const std::vector<std::string>& videos, const std::string& out, bool lossless);

// "amber_capture: what" on standard error, every claimed file removed,
// status 1.
[[noreturn]] void CAPTURE_Fail(const std::string& what);
