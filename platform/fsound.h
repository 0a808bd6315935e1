// Sound layer: streams one MP3 file at a time to the audio device.
// Decoding runs on a thread of its own, ahead of playback, into a ring buffer;
// the audio callback only copies from that buffer.
#ifndef PLATFORM_FSOUND_H
#define PLATFORM_FSOUND_H

struct FSOUND_STREAM;

// Records the output choice; every value is accepted and the system's default
// device serves.
signed char FSOUND_SetOutput(int outputtype);

// Opens the audio device at mixrate Hz, 16-bit signed stereo. False with
// code 3 when no device is usable, code 1 when already open.
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);

// Code of the last failure, 0 when none has happened.
int FSOUND_GetError();

// Stops playback and closes the device; does nothing when it is not open.
void FSOUND_Close();

// Sets how many milliseconds of sound streams opened afterwards decode ahead.
signed char FSOUND_Stream_SetBufferSize(int ms);

// Opens an MP3 file for playback at the mix rate in stereo, whatever its own
// rate and channel count. Null with code 2, 9, 10, 11 or 14 on failure.
FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int offset, int length);

// Starts the stream from its beginning and returns the channel, or -1.
// A stream that is already playing keeps playing where it is.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);

// Stops the stream; a later play starts it from the beginning.
signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream);

// Stops the stream if it plays and releases it.
signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);

#endif
