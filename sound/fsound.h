// Sound layer: streams one MP3 file at a time to the audio device.
// Decoding runs on a thread of its own, ahead of playback, into a ring buffer;
// the audio callback only copies from that buffer.
#pragma once

struct FSOUND_STREAM;

// The codes FSOUND_GetError reports, numbered as the sound library's error
// texts are.
enum FSOUND_ERRORS {
    FSOUND_ERR_NONE = 0,
    FSOUND_ERR_INIT = 1,           // command not allowed while the device is open
    FSOUND_ERR_UNINITIALIZED = 2,  // the device is not open
    FSOUND_ERR_INIT_DEVICE = 3,    // no usable audio device
    FSOUND_ERR_PLAY = 5,           // the decoder thread could not start
    FSOUND_ERR_FILE_NOTFOUND = 9,
    FSOUND_ERR_FILE_FORMAT = 10,  // no MPEG audio in the file
    FSOUND_ERR_FILE_BAD = 11,     // the file cannot be read
    FSOUND_ERR_MEMORY = 12,
    FSOUND_ERR_INVALID_PARAM = 14,
    FSOUND_ERR_CHANNEL_ALLOC = 16  // another stream holds the output
};

// Records the output choice; every value is accepted and the system's default
// device serves.
signed char FSOUND_SetOutput(int outputtype);

// Opens the audio device at mixrate Hz, 16-bit signed stereo. False with
// FSOUND_ERR_INIT_DEVICE when no device is usable, FSOUND_ERR_INIT when
// already open.
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);

// Code of the last failure, FSOUND_ERR_NONE when none has happened.
int FSOUND_GetError();

// Stops playback and closes the device; does nothing when it is not open.
void FSOUND_Close();

// Sets how many milliseconds of sound streams opened afterwards decode ahead.
signed char FSOUND_Stream_SetBufferSize(int ms);

// Opens an MP3 file for playback at the mix rate in stereo, whatever its own
// rate and channel count. Null on failure,
// with FSOUND_ERR_UNINITIALIZED, FSOUND_ERR_FILE_NOTFOUND, FSOUND_ERR_FILE_FORMAT,
// FSOUND_ERR_FILE_BAD or FSOUND_ERR_INVALID_PARAM.
FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int offset, int length);

// Starts the stream from its beginning and returns the channel, or -1.
// A stream that is already playing keeps playing where it is.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);

// Stops the stream; a later play starts it from the beginning.
signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream);

// Stops the stream if it plays and releases it.
signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);
