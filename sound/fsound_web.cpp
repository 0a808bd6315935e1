// Sound layer in a browser, over Web Audio: the page has put the soundtrack
// into the file system before the program starts; opening it hands the
// bytes to decodeAudioData, and playing starts a buffer source at once. A
// play asked for before decoding has finished, or before the browser's
// output runs (it starts after the viewer's first gesture, and Firefox takes
// a while), starts once both are ready, as far into the soundtrack as the
// page's clock has gone since the request, so it keeps with the picture.
// Everything runs on the page's one thread.
#include <emscripten.h>

#include <cstdio>

#include "sound/fsound.h"
#include "sound/fsound_web.h"

struct FSOUND_STREAM {
    bool playing;
    int channel;
};

namespace {

constexpr int kMinBufferMs = 50;
constexpr int kMaxBufferMs = 10000;

int fsound_error = FSOUND_ERR_NONE;
bool fsound_ready = false;
int fsound_channels = 0;

signed char Fail(int code) {
    fsound_error = code;
    return 0;
}

int FailPlay(int code) {
    fsound_error = code;
    return -1;
}

}  // namespace

// Module.amberSound: the context, the decoded soundtrack, the playing source
// and, for each play request, the soundtrack's position as heard and the page's
// clock, which tell how sound and picture keep together. A hidden page
// stops drawing, so the sound pauses with it. wanted: asked to play and not
// stopped, whether sounding, held or waiting for the decoder.
EM_JS(int, fsound_web_init, (), {
    const AudioContextClass = globalThis.AudioContext || globalThis.webkitAudioContext;
    if (!AudioContextClass) return 0;
    const ctx = new AudioContextClass();
    const output = ctx.createGain();
    output.connect(ctx.destination);
    const sound = {ctx, output, buffer: null, source: null, startedAt: 0, requests: []};
    Module.amberSound = sound;
    // The context time heard at page time ms, from the output's last
    // timestamp, a context time and the page time it was heard at, read
    // together. Where the output has given none lately (it has not run, or
    // stood still since), the context's clock less its processing latency
    // stands in. Firefox is never asked: its timestamp is its context clock
    // and the page's, both less the output's latency, which it asks the
    // sound server for while holding its audio graph's lock, and that has
    // stopped a page's thread for good; the stand-in says the same.
    const freshMs = 500;
    const timestamps = !!ctx.getOutputTimestamp && !navigator.userAgent.includes('Firefox/');
    const heardAt = (ms) => {
        const ts = timestamps ? ctx.getOutputTimestamp() : {};
        if (ts.performanceTime > 0 && performance.now() - ts.performanceTime < freshMs)
            return ts.contextTime + (ms - ts.performanceTime) / 1000;
        return ctx.currentTime - (ctx.baseLatency || 0) + (ms - performance.now()) / 1000;
    };
    // The soundtrack at offset from now on: it starts a little ahead of the
    // context's clock, past the block being made, as far in as the page's
    // clock will have gone when that moment is heard. startedAt is the
    // context time at which the soundtrack's start would have been heard.
    // A source playing already hands over to the new one at that moment.
    const leadSeconds = 0.1;
    sound.start = (offset) => {
        const now = performance.now();
        const when = ctx.currentTime + leadSeconds;
        const position = Math.max(0, offset + when - heardAt(now));
        const before = sound.source;
        sound.pending = false;
        sound.source = ctx.createBufferSource();
        sound.source.buffer = sound.buffer;
        sound.source.connect(output);
        sound.startedAt = when - position;
        sound.source.start(when, position);
        if (before) before.stop(when);
    };
    sound.heard = () => heardAt(performance.now()) - sound.startedAt;
    const pageSeconds = () => performance.now() / 1000;
    // Where the picture's clock has the soundtrack since the last place.
    const due = () => pageSeconds() - sound.pendingSince;
    // Where the soundtrack is, or would be if a waiting play had started.
    sound.position = () => sound.source ? sound.heard() : sound.pending ? due() : 0;
    // A waiting play starts once the soundtrack is decoded and the output has
    // run a while: the context's clock stands still until the output runs,
    // and in its first moments runs ahead of what is heard (Firefox's, by up
    // to a tenth of a second). Until then it looks again every little while:
    // a timer may fire before the page's clock, which Firefox rounds, says it
    // is due, and a context's state may change without a statechange that
    // says so last.
    const settleSeconds = 0.3;
    const retryMs = 50;
    let runningSince = ctx.state === 'running' ? 0 : Infinity;
    let retry = 0;
    const noteState = () => {
        if (ctx.state !== 'running') runningSince = Infinity;
        else if (runningSince === Infinity) runningSince = pageSeconds();
    };
    sound.join = () => {
        clearTimeout(retry);
        noteState();
        if (!sound.pending || !sound.buffer) return;  // decoding ends with a join
        if (pageSeconds() - runningSince >= settleSeconds) sound.start(due());
        else retry = setTimeout(sound.join, retryMs);
    };
    ctx.addEventListener('statechange', sound.join);
    // An output the machine starves (a busy machine, a slow phone) misses
    // what it could not play, and the soundtrack would stay that far behind
    // the picture for good: where it is out of step at two looks in a row
    // while the output runs, it goes on from where the picture is. Without
    // the output's timestamps the clocks say where it is to a step of the
    // context's clock, which Firefox's can make a tenth of a second.
    const outOfStepSeconds = timestamps ? 0.04 : 0.12;
    const lookMs = 250;
    let outOfStep = 0;
    const keepInStep = () => {
        noteState();
        if (!sound.source || document.hidden || pageSeconds() - runningSince < settleSeconds) {
            outOfStep = 0;
            return;
        }
        outOfStep = Math.abs(sound.heard() - due()) > outOfStepSeconds ? outOfStep + 1 : 0;
        if (outOfStep < 2) return;
        outOfStep = 0;
        sound.start(due());
    };
    sound.looks = setInterval(keepInStep, lookMs);
    sound.place = (offset) => {
        if (sound.source) sound.source.stop();
        sound.source = null;
        sound.pending = false;
        if (!sound.wanted || offset < 0) return;
        sound.pending = true;
        sound.pendingSince = pageSeconds() - offset;
        ctx.resume();
        sound.join();
    };
    // The picture's clock leaves out the time the page was hidden; so does
    // where the soundtrack is due.
    let hiddenSince = pageSeconds();
    document.addEventListener('visibilitychange', () => {
        if (ctx.state === 'closed') return;  // the production has ended
        if (document.hidden) {
            hiddenSince = pageSeconds();
            ctx.suspend();
            return;
        }
        sound.pendingSince += pageSeconds() - hiddenSince;
        if (sound.source || sound.pending) ctx.resume();
    });
    return 1;
});

EM_JS(void, fsound_web_close, (), {
    clearInterval(Module.amberSound.looks);
    Module.amberSound.ctx.close();
});

EM_JS(void, fsound_web_decode, (const char* name), {
    const sound = Module.amberSound;
    const bytes = FS.readFile(UTF8ToString(name));
    sound.ctx.decodeAudioData(bytes.buffer).then(
        (buffer) => {
            sound.buffer = buffer;
            sound.join();
        },
        (error) => console.warn('FSOUND_Stream_Open: cannot decode the soundtrack:', error));
});

EM_JS(void, fsound_web_play, (), {
    Module.amberSound.wanted = true;
    Module.amberSound.place(0);
});

EM_JS(void, fsound_web_place, (double seconds), { Module.amberSound.place(seconds); });

EM_JS(void, fsound_web_note_request, (), {
    const sound = Module.amberSound;
    sound.requests.push({position: sound.position(), clockMs: performance.now()});
});

EM_JS(void, fsound_web_stop, (), {
    Module.amberSound.place(-1);
    Module.amberSound.wanted = false;
});

void FSOUND_WEB_Place(double seconds) {
    if (fsound_ready) fsound_web_place(seconds);
}

void FSOUND_WEB_Hold() { FSOUND_WEB_Place(-1); }

signed char FSOUND_SetOutput(int) {
    if (fsound_ready) return Fail(FSOUND_ERR_INIT);
    return 1;
}

signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int) {
    if (fsound_ready) return Fail(FSOUND_ERR_INIT);
    if (mixrate <= 0 || maxsoftwarechannels <= 0) return Fail(FSOUND_ERR_INVALID_PARAM);
    // The browser mixes at its device's rate and resamples the soundtrack.
    if (!fsound_web_init()) return Fail(FSOUND_ERR_INIT_DEVICE);
    fsound_channels = maxsoftwarechannels;
    fsound_ready = true;
    return 1;
}

int FSOUND_GetError() { return fsound_error; }

void FSOUND_Close() {
    if (!fsound_ready) return;
    fsound_web_close();
    fsound_ready = false;
}

// The browser decodes the whole soundtrack: there is no buffer to size.
signed char FSOUND_Stream_SetBufferSize(int ms) {
    if (ms < kMinBufferMs || ms > kMaxBufferMs) return Fail(FSOUND_ERR_INVALID_PARAM);
    return 1;
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int, int offset, int length) {
    if (!fsound_ready) {
        fsound_error = FSOUND_ERR_UNINITIALIZED;
        return nullptr;
    }
    if (!name || offset != 0 || length != 0) {
        fsound_error = FSOUND_ERR_INVALID_PARAM;
        return nullptr;
    }
    FILE* f = fopen(name, "rb");
    if (!f) {
        fsound_error = FSOUND_ERR_FILE_NOTFOUND;
        return nullptr;
    }
    fclose(f);
    fsound_web_decode(name);
    return new FSOUND_STREAM{false, -1};
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* s) {
    if (!s) return FailPlay(FSOUND_ERR_INVALID_PARAM);
    if (!fsound_ready) return FailPlay(FSOUND_ERR_UNINITIALIZED);
    if (channel < 0 || channel >= fsound_channels) return FailPlay(FSOUND_ERR_INVALID_PARAM);
    if (!s->playing) fsound_web_play();
    fsound_web_note_request();
    s->playing = true;
    s->channel = channel;
    return channel;
}

signed char FSOUND_Stream_Stop(FSOUND_STREAM* s) {
    if (!s) return Fail(FSOUND_ERR_INVALID_PARAM);
    if (s->playing) fsound_web_stop();
    s->playing = false;
    return 1;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* s) {
    if (!s) return Fail(FSOUND_ERR_INVALID_PARAM);
    FSOUND_Stream_Stop(s);
    delete s;
    return 1;
}
