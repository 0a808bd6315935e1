// Sound layer over libmpg123 (decoding) and SDL audio (output).
//
// Three threads meet here without a lock: the caller's thread opens, starts
// and stops streams; a decoder thread per playing stream decodes ahead into
// the stream's ring buffer; SDL's audio thread copies from that ring into the
// device buffer. The ring's two frame counters are the only words the decoder
// and the audio thread share; each has a single writer and is published with
// release and read with acquire, so a frame is never read before it is
// written nor overwritten before it is read.
#include "sound/fsound.h"

#include <SDL.h>
#include <mpg123.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

constexpr int kOutChannels = 2;  // stereo output
constexpr int kFrameBytes = kOutChannels * int(sizeof(Sint16));
constexpr Uint16 kDeviceFrames = 1024;  // frames per audio callback
constexpr int kMinBufferMs = 50;        // a few callbacks' worth
constexpr int kMaxBufferMs = 10000;
constexpr int kDefaultBufferMs = 500;
// How long the decoder sleeps between refills: far shorter than any ring.
constexpr Uint32 kRefillMs = 5;
// How long the caller waits between checks that the audio thread let go.
constexpr Uint32 kDetachPollMs = 1;

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
static int fsound_buffer_ms = kDefaultBufferMs;

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
    Uint64 count = avail < Uint64(n) ? avail : Uint64(n);
    Uint64 pos = r % s->frames;
    Uint64 first = count < s->frames - pos ? count : s->frames - pos;
    memcpy(out, s->ring + pos * kOutChannels, first * kFrameBytes);
    memcpy(out + first * kOutChannels, s->ring, (count - first) * kFrameBytes);
    s->read.store(r + count, std::memory_order_release);
    return int(count);
}

// SDL audio callback: copies what the decoder has ready and fills the rest
// with silence, so an underrun or the end of the file is heard as silence.
static void FSOUND_Mix(void*, Uint8* out, int len) {
    fsound_mix_entered.fetch_add(1, std::memory_order_seq_cst);
    FSOUND_STREAM* s = fsound_playing.load(std::memory_order_seq_cst);
    int frames = len / kFrameBytes;
    int done = s ? FSOUND_CopyOut(s, reinterpret_cast<Sint16*>(out), frames) : 0;
    memset(out + done * kFrameBytes, 0, len - done * kFrameBytes);
    fsound_mix_left.fetch_add(1, std::memory_order_release);
}

// Takes the playing stream away from the audio thread and waits until no
// callback that may have seen it is still running. A callback that enters
// after the entry count is read finds no stream, since the store of null
// precedes that read in the single order of sequentially consistent operations.
static void FSOUND_Detach() {
    fsound_playing.store(nullptr, std::memory_order_seq_cst);
    Uint64 entered = fsound_mix_entered.load(std::memory_order_seq_cst);
    while (fsound_mix_left.load(std::memory_order_acquire) < entered) SDL_Delay(kDetachPollMs);
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
    int rc = mpg123_read(s->decoder, s->ring + pos * kOutChannels, room * kFrameBytes, &bytes);
    s->written.store(w + bytes / kFrameBytes, std::memory_order_release);
    // A change of format inside the file is converted like the first one.
    return rc == MPG123_OK || rc == MPG123_NEW_FORMAT;
}

static int FSOUND_DecodeThread(void* data) {
    FSOUND_STREAM* s = static_cast<FSOUND_STREAM*>(data);
    while (!s->quit.load(std::memory_order_acquire) && FSOUND_Refill(s)) SDL_Delay(kRefillMs);
    return 0;
}

// Stops a playing stream: the audio thread lets go, the decoder thread ends,
// and the stream is rewound so that the next play starts from the top.
static void FSOUND_Halt(FSOUND_STREAM* s) {
    FSOUND_Detach();
    s->quit.store(true, std::memory_order_release);
    SDL_WaitThread(s->thread, nullptr);
    s->thread = nullptr;
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
    want.channels = kOutChannels;
    want.samples = kDeviceFrames;
    want.callback = FSOUND_Mix;
    // With no "obtained" format asked for, SDL converts to the device's own format.
    if (SDL_OpenAudio(&want, nullptr) != 0) {
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
    if (ms < kMinBufferMs || ms > kMaxBufferMs) return FSOUND_Fail(FSOUND_ERR_INVALID_PARAM);
    fsound_buffer_ms = ms;
    return 1;
}

// Opens name with a decoder that delivers the mix rate in stereo 16-bit,
// converting whatever the file holds. Null with the error code set on failure.
static mpg123_handle* FSOUND_OpenDecoder(const char* name) {
    mpg123_handle* mh = mpg123_new(nullptr, nullptr);
    if (!mh) {
        fsound_error = FSOUND_ERR_MEMORY;
        return nullptr;
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
    return nullptr;
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
        return nullptr;
    }
    // Only whole files are streamed.
    if (!name || offset != 0 || length != 0) {
        fsound_error = FSOUND_ERR_INVALID_PARAM;
        return nullptr;
    }
    if (!FSOUND_FileReadable(name)) return nullptr;
    mpg123_handle* mh = FSOUND_OpenDecoder(name);
    if (!mh) return nullptr;
    Uint64 frames = Uint64(fsound_buffer_ms) * fsound_mixrate / 1000;
    Sint16* ring = static_cast<Sint16*>(malloc(frames * kFrameBytes));
    if (!ring) {
        mpg123_delete(mh);
        fsound_error = FSOUND_ERR_MEMORY;
        return nullptr;
    }
    FSOUND_STREAM* s = new FSOUND_STREAM;
    s->decoder = mh;
    s->ring = ring;
    s->frames = frames;
    s->written.store(0, std::memory_order_relaxed);
    s->read.store(0, std::memory_order_relaxed);
    s->quit.store(false, std::memory_order_relaxed);
    s->thread = nullptr;
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
