// Sound layer over libmpg123 (decoding) and SDL audio (output).
//
// Three threads meet here without a lock: the caller's thread opens, starts
// and stops streams; a decoder thread per playing stream decodes ahead into
// the stream's ring buffer; SDL's audio thread copies from that ring into the
// device buffer. The ring's two frame counters are the only words the decoder
// and the audio thread share; each has a single writer and is published with
// release and read with acquire, so a frame is never read before it is
// written nor overwritten before it is read.
#include "platform/fsound.h"

#include <SDL.h>
#include <mpg123.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Error codes reported through FSOUND_GetError.
enum {
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

static const int FSOUND_OUT_CHANNELS = 2;  // stereo output
static const int FSOUND_FRAME_BYTES = FSOUND_OUT_CHANNELS * (int)sizeof(Sint16);
static const Uint16 FSOUND_DEVICE_FRAMES = 1024;  // frames per audio callback
static const int FSOUND_MIN_BUFFER_MS = 50;       // a few callbacks' worth
static const int FSOUND_MAX_BUFFER_MS = 10000;
static const int FSOUND_DEFAULT_BUFFER_MS = 500;
// How long the decoder sleeps between refills: far shorter than any ring.
static const Uint32 FSOUND_REFILL_MS = 5;
// How long the caller waits between checks that the audio thread let go.
static const Uint32 FSOUND_DETACH_POLL_MS = 1;

struct FSOUND_STREAM {
    mpg123_handle* decoder;
    Sint16* ring;                 // interleaved stereo frames
    Uint64 frames;                // ring capacity in frames
    std::atomic<Uint64> written;  // frames decoded so far; decoder thread writes
    std::atomic<Uint64> read;     // frames played so far; audio thread writes
    std::atomic<bool> quit;       // asks the decoder thread to end
    SDL_Thread* thread;           // non-null while the stream plays
    int channel;                  // the channel it plays on
};

static int fsound_error;
static bool fsound_ready;
static int fsound_mixrate;
static int fsound_channels;
static int fsound_buffer_ms = FSOUND_DEFAULT_BUFFER_MS;

// The stream the audio thread plays, and two counters of audio callbacks,
// bumped on entry and on exit, so the caller can tell when the audio thread
// no longer touches a stream it has taken away.
static std::atomic<FSOUND_STREAM*> fsound_playing;
static std::atomic<Uint64> fsound_mix_entered;
static std::atomic<Uint64> fsound_mix_left;

static signed char FSOUND_Fail(int code) {
    fsound_error = code;
    return 0;
}

// Copies up to n decoded frames to out; returns how many there were.
static int FSOUND_CopyOut(FSOUND_STREAM* s, Sint16* out, int n) {
    Uint64 r = s->read.load(std::memory_order_relaxed);
    Uint64 avail = s->written.load(std::memory_order_acquire) - r;
    Uint64 count = avail < (Uint64)n ? avail : (Uint64)n;
    Uint64 pos = r % s->frames;
    Uint64 first = count < s->frames - pos ? count : s->frames - pos;
    memcpy(out, s->ring + pos * FSOUND_OUT_CHANNELS, first * FSOUND_FRAME_BYTES);
    memcpy(out + first * FSOUND_OUT_CHANNELS, s->ring, (count - first) * FSOUND_FRAME_BYTES);
    s->read.store(r + count, std::memory_order_release);
    return (int)count;
}

// SDL audio callback: copies what the decoder has ready and fills the rest
// with silence, so an underrun or the end of the file is heard as silence.
static void FSOUND_Mix(void*, Uint8* out, int len) {
    fsound_mix_entered.fetch_add(1, std::memory_order_seq_cst);
    FSOUND_STREAM* s = fsound_playing.load(std::memory_order_seq_cst);
    int frames = len / FSOUND_FRAME_BYTES;
    int done = s ? FSOUND_CopyOut(s, (Sint16*)out, frames) : 0;
    memset(out + done * FSOUND_FRAME_BYTES, 0, len - done * FSOUND_FRAME_BYTES);
    fsound_mix_left.fetch_add(1, std::memory_order_release);
}

// Takes the playing stream away from the audio thread and waits until no
// callback that may have seen it is still running. A callback that enters
// after the entry count is read finds no stream, since the store of null
// precedes that read in the single order of sequentially consistent operations.
static void FSOUND_Detach() {
    fsound_playing.store(nullptr, std::memory_order_seq_cst);
    Uint64 entered = fsound_mix_entered.load(std::memory_order_seq_cst);
    while (fsound_mix_left.load(std::memory_order_acquire) < entered)
        SDL_Delay(FSOUND_DETACH_POLL_MS);
}

// Decodes into the free part of the ring. Returns false once the file has
// no more sound to give.
static bool FSOUND_Refill(FSOUND_STREAM* s) {
    Uint64 w = s->written.load(std::memory_order_relaxed);
    Uint64 space = s->frames - (w - s->read.load(std::memory_order_acquire));
    if (space == 0) return true;
    Uint64 pos = w % s->frames;
    Uint64 room = space < s->frames - pos ? space : s->frames - pos;
    size_t bytes = 0;
    int rc = mpg123_read(s->decoder, s->ring + pos * FSOUND_OUT_CHANNELS, room * FSOUND_FRAME_BYTES,
                         &bytes);
    s->written.store(w + bytes / FSOUND_FRAME_BYTES, std::memory_order_release);
    // A change of format inside the file is converted like the first one.
    return rc == MPG123_OK || rc == MPG123_NEW_FORMAT;
}

static int FSOUND_DecodeThread(void* data) {
    FSOUND_STREAM* s = (FSOUND_STREAM*)data;
    while (!s->quit.load(std::memory_order_acquire) && FSOUND_Refill(s))
        SDL_Delay(FSOUND_REFILL_MS);
    return 0;
}

// Stops a playing stream: the audio thread lets go, the decoder thread ends,
// and the stream is rewound so that the next play starts from the top.
static void FSOUND_Halt(FSOUND_STREAM* s) {
    FSOUND_Detach();
    s->quit.store(true, std::memory_order_release);
    SDL_WaitThread(s->thread, NULL);
    s->thread = NULL;
    mpg123_seek(s->decoder, 0, SEEK_SET);
    s->written.store(0, std::memory_order_relaxed);
    s->read.store(0, std::memory_order_relaxed);
}

signed char FSOUND_SetOutput(int) {
    if (fsound_ready) return FSOUND_Fail(FSOUND_ERR_INIT);
    return 1;
}

signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int) {
    if (fsound_ready) return FSOUND_Fail(FSOUND_ERR_INIT);
    if (mixrate <= 0 || maxsoftwarechannels <= 0) return FSOUND_Fail(FSOUND_ERR_INVALID_PARAM);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return FSOUND_Fail(FSOUND_ERR_INIT_DEVICE);
    SDL_AudioSpec want;
    memset(&want, 0, sizeof want);
    want.freq = mixrate;
    want.format = AUDIO_S16SYS;
    want.channels = FSOUND_OUT_CHANNELS;
    want.samples = FSOUND_DEVICE_FRAMES;
    want.callback = FSOUND_Mix;
    // With no "obtained" format asked for, SDL converts to the device's own format.
    if (SDL_OpenAudio(&want, NULL) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return FSOUND_Fail(FSOUND_ERR_INIT_DEVICE);
    }
    fsound_mixrate = mixrate;
    fsound_channels = maxsoftwarechannels;
    fsound_ready = true;
    SDL_PauseAudio(0);
    return 1;
}

int FSOUND_GetError() { return fsound_error; }

void FSOUND_Close() {
    if (!fsound_ready) return;
    FSOUND_STREAM* s = fsound_playing.load(std::memory_order_relaxed);
    if (s) FSOUND_Halt(s);
    SDL_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    fsound_ready = false;
}

signed char FSOUND_Stream_SetBufferSize(int ms) {
    if (ms < FSOUND_MIN_BUFFER_MS || ms > FSOUND_MAX_BUFFER_MS)
        return FSOUND_Fail(FSOUND_ERR_INVALID_PARAM);
    fsound_buffer_ms = ms;
    return 1;
}

// Opens name with a decoder that delivers the mix rate in stereo 16-bit,
// converting whatever the file holds. Null with the error code set on failure.
static mpg123_handle* FSOUND_OpenDecoder(const char* name) {
    mpg123_handle* mh = mpg123_new(NULL, NULL);
    if (!mh) {
        fsound_error = FSOUND_ERR_MEMORY;
        return NULL;
    }
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(mh);
    mpg123_format(mh, fsound_mixrate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    long rate;
    int channels, encoding;
    if (mpg123_open(mh, name) != MPG123_OK) {
        fsound_error = FSOUND_ERR_FILE_BAD;
    } else if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK) {
        // The file was readable, so no first frame means no MPEG audio.
        fsound_error = FSOUND_ERR_FILE_FORMAT;
    } else {
        return mh;
    }
    mpg123_delete(mh);
    return NULL;
}

// Checks that name opens and its first byte reads (a directory opens but
// does not read); the decoder cannot tell those failures from a file that
// holds no sound. Sets the error code when it fails.
static bool FSOUND_FileReadable(const char* name) {
    FILE* f = fopen(name, "rb");
    if (!f) {
        fsound_error = errno == ENOENT ? FSOUND_ERR_FILE_NOTFOUND : FSOUND_ERR_FILE_BAD;
        return false;
    }
    bool readable = fgetc(f) != EOF || !ferror(f);
    fclose(f);
    if (!readable) fsound_error = FSOUND_ERR_FILE_BAD;
    return readable;
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int, int offset, int length) {
    if (!fsound_ready) {
        fsound_error = FSOUND_ERR_UNINITIALIZED;
        return NULL;
    }
    // Only whole files are streamed.
    if (!name || offset != 0 || length != 0) {
        fsound_error = FSOUND_ERR_INVALID_PARAM;
        return NULL;
    }
    if (!FSOUND_FileReadable(name)) return NULL;
    mpg123_handle* mh = FSOUND_OpenDecoder(name);
    if (!mh) return NULL;
    Uint64 frames = (Uint64)fsound_buffer_ms * fsound_mixrate / 1000;
    Sint16* ring = (Sint16*)malloc(frames * FSOUND_FRAME_BYTES);
    if (!ring) {
        mpg123_delete(mh);
        fsound_error = FSOUND_ERR_MEMORY;
        return NULL;
    }
    FSOUND_STREAM* s = new FSOUND_STREAM;
    s->decoder = mh;
    s->ring = ring;
    s->frames = frames;
    s->written.store(0, std::memory_order_relaxed);
    s->read.store(0, std::memory_order_relaxed);
    s->quit.store(false, std::memory_order_relaxed);
    s->thread = NULL;
    s->channel = -1;
    return s;
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* s) {
    if (!s) {
        fsound_error = FSOUND_ERR_INVALID_PARAM;
        return -1;
    }
    if (!fsound_ready) {
        fsound_error = FSOUND_ERR_UNINITIALIZED;
        return -1;
    }
    if (channel < 0 || channel >= fsound_channels) {
        fsound_error = FSOUND_ERR_INVALID_PARAM;
        return -1;
    }
    if (s->thread) return s->channel;
    if (fsound_playing.load(std::memory_order_relaxed)) {
        fsound_error = FSOUND_ERR_CHANNEL_ALLOC;
        return -1;
    }
    // The ring is empty here: one refill fills it before the device sees it.
    FSOUND_Refill(s);
    s->quit.store(false, std::memory_order_relaxed);
    s->thread = SDL_CreateThread(FSOUND_DecodeThread, s);
    if (!s->thread) {
        fsound_error = FSOUND_ERR_PLAY;
        return -1;
    }
    s->channel = channel;
    fsound_playing.store(s, std::memory_order_seq_cst);
    return channel;
}

signed char FSOUND_Stream_Stop(FSOUND_STREAM* s) {
    if (!s) return FSOUND_Fail(FSOUND_ERR_INVALID_PARAM);
    if (s->thread) FSOUND_Halt(s);
    return 1;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* s) {
    if (!s) return FSOUND_Fail(FSOUND_ERR_INVALID_PARAM);
    if (s->thread) FSOUND_Halt(s);
    mpg123_delete(s->decoder);
    free(s->ring);
    delete s;
    return 1;
}
