// amber_capture: the production as a video file. The headless player plays
// the real start-up steps, loader, sequencer and scenes in virtual time with
// a fixed step, on a private Xvfb server started for it; each frame is read
// back and encoded by ffmpeg, and the soundtrack is placed at the frame in
// which the tape asks for it to play. --still writes PNG stills instead of,
// or besides, the video.
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/velq2.h"
#include "headless/mp3_decode.h"
#include "headless/player.h"
#include "tools/capture/capture_encode.h"
#include "tools/tool_args.h"

namespace {

constexpr int kDefaultFps = VELQ_TICKS_PER_SECOND;  // every picture the tape makes, once
constexpr int kMaxFps = 1000;
constexpr uint64_t kForever = UINT64_MAX;
constexpr int64_t kNotPlayed = -1;
constexpr int64_t kProgressEvery = 25;  // frames between progress lines
constexpr const char* kDrive = "amber_grid.cfs";
constexpr const char* kSoundtrack = "amber_grid.mp3";
constexpr const char* kUsage =
    "usage: amber_capture [-o FILE.mp4] [--size 1080p | --scale N] [--fps N] [--from T] [--to T]\n"
    "                     [--still T[,T...]]\n"
    "  -o FILE        the production as H.264 High/AAC MP4, 640 x 480\n"
    "  --size 1080p   the video at 1920 x 1080, the picture centred at 1440 x 1080\n"
    "  --scale N      the video at 640N x 480N, N from 1 to 8\n"
    "  --fps N        frames per second (default 50: one frame per 20 ms tick)\n"
    "  --from, --to   the stretch of the video, in seconds from the program's start\n"
    "  --still T,...  PNG stills amber_grid_at_T.png of production times T, in the\n"
    "                 current folder\n";

std::string capture_out;
CAPTURE_Size capture_size{VELQ_SCREEN_WIDTH, VELQ_SCREEN_HEIGHT};
int capture_fps = kDefaultFps;
uint64_t capture_from_us = 0;
uint64_t capture_to_us = kForever;
std::vector<uint64_t> capture_stills;

int64_t capture_frame = 0;         // the next frame to make
int64_t capture_first_frame = -1;  // the video's first frame
int64_t capture_video_frames = 0;
int64_t capture_total = 0;  // frames to make, for the progress line
int64_t capture_play_frame = kNotPlayed;
uint64_t capture_end_us = 0;  // nothing from here on is asked for
bool capture_done = false;
std::vector<uint8_t> capture_pixels(VELQ_SCREEN_WIDTH* VELQ_SCREEN_HEIGHT * 4);
std::chrono::steady_clock::time_point capture_started;

[[noreturn]] void Usage(const std::string& problem) { TOOL_ARGS_Fail(kUsage, problem); }

uint64_t SecondsToUs(const char* text) {
    char* end = nullptr;
    const double s = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(s >= 0)) Usage("times are seconds, 0 or more");
    return static_cast<uint64_t>(s * VELQ_PLAY_SECOND_US + 0.5);
}

void ParseStills(const char* list) {
    std::string items(list);
    for (size_t at = 0; at <= items.size();) {
        const size_t comma = std::min(items.find(',', at), items.size());
        capture_stills.push_back(SecondsToUs(items.substr(at, comma - at).c_str()));
        at = comma + 1;
    }
}

void ParseOptions(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (TOOL_ARGS_IsHelp(a)) TOOL_ARGS_Help(kUsage);
        if (i + 1 >= argc) Usage("missing value after " + a);
        const char* v = argv[++i];
        if (a == "-o") {
            capture_out = v;
        } else if (a == "--size") {
            if (std::string(v) != "1080p") Usage("--size takes 1080p");
            capture_size = CAPTURE_SIZE_1080P;
        } else if (a == "--scale") {
            const int scale = std::atoi(v);
            if (scale < 1 || scale > CAPTURE_MAX_SCALE) Usage("--scale takes 1 to 8");
            capture_size = {VELQ_SCREEN_WIDTH * scale, VELQ_SCREEN_HEIGHT * scale};
        } else if (a == "--fps") {
            capture_fps = std::atoi(v);
            if (capture_fps < 1 || capture_fps > kMaxFps) Usage("--fps takes 1 to 1000");
        } else if (a == "--from") {
            capture_from_us = SecondsToUs(v);
        } else if (a == "--to") {
            capture_to_us = SecondsToUs(v);
        } else if (a == "--still") {
            ParseStills(v);
        } else {
            Usage("unknown option " + a);
        }
    }
    if (capture_out.empty() && capture_stills.empty()) Usage("nothing to make: give -o or --still");
    if (capture_to_us <= capture_from_us) Usage("--to must be after --from");
    if (!capture_out.empty()) capture_end_us = capture_to_us;
    for (uint64_t t : capture_stills) capture_end_us = std::max(capture_end_us, t + 1);
}

// How many frames fall before production time us.
int64_t FramesBefore(uint64_t us) {
    return (us * capture_fps + VELQ_PLAY_SECOND_US - 1) / VELQ_PLAY_SECOND_US;
}

// A video without a frame would fail in the encoder after the whole
// render: the stretch must hold one of the tape's frames.
void CheckStretch(uint64_t tape_end) {
    const uint64_t last_us = VELQ_PLAY_FrameUs(FramesBefore(tape_end) - 1, capture_fps);
    if (capture_from_us > last_us) {
        char reason[80];
        std::snprintf(reason, sizeof reason,
                      "--from is past the production's last frame, at %.3f s",
                      double(last_us) / VELQ_PLAY_SECOND_US);
        Usage(reason);
    }
    if (FramesBefore(std::min(capture_to_us, tape_end)) == FramesBefore(capture_from_us))
        Usage("no frame falls between --from and --to at this --fps");
}

std::string DataPath(const char* name) {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
}

std::string ClockText(double seconds) {
    char text[16];
    const int s = static_cast<int>(seconds + 0.5);
    std::snprintf(text, sizeof text, "%d:%02d", s / 60, s % 60);
    return text;
}

void Progress() {
    if (capture_frame % kProgressEvery != 0 && capture_frame != capture_total) return;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - capture_started).count();
    const double rate = capture_frame / std::max(wall, 1e-3);
    std::fprintf(stderr, "\rframe %lld/%lld  %5.1f%%  %6.1f fps  %s left ",
                 static_cast<long long>(capture_frame), static_cast<long long>(capture_total),
                 100.0 * capture_frame / capture_total, rate,
                 ClockText((capture_total - capture_frame) / std::max(rate, 1e-3)).c_str());
}

// The stills whose production time falls while this frame is on screen.
void SaveStills() {
    for (uint64_t t : capture_stills) {
        if (VELQ_PLAY_FrameOn(t, capture_fps) != capture_frame) continue;
        char path[64];
        std::snprintf(path, sizeof path, "amber_grid_at_%g.png", double(t) / VELQ_PLAY_SECOND_US);
        PLAYER_SavePng(path, PLAYER_ReadFrame(), VELQ_SCREEN_WIDTH, VELQ_SCREEN_HEIGHT);
        std::fprintf(stderr, "\rstill at %.3f s: %s\n", double(t) / VELQ_PLAY_SECOND_US, path);
    }
}

void Encode(uint64_t us) {
    if (capture_out.empty() || us < capture_from_us || us >= capture_to_us) return;
    if (capture_first_frame < 0) capture_first_frame = capture_frame;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, VELQ_SCREEN_WIDTH, VELQ_SCREEN_HEIGHT, GL_BGRA, GL_UNSIGNED_BYTE,
                 capture_pixels.data());
    CAPTURE_EncodeFrame(capture_pixels.data());
    ++capture_video_frames;
}

void MakeFrame() {
    const uint64_t us = VELQ_PLAY_FrameUs(capture_frame, capture_fps);
    if (us >= capture_end_us || VELQ_PLAY_FrameAt(us, true) == 1) {
        capture_done = true;
        return;
    }
    // The soundtrack starts in the frame in which the scenes asked for it.
    if (capture_play_frame == kNotPlayed && PLAYER_SoundtrackStartUs() != PLAYER_NOT_PLAYED)
        capture_play_frame = capture_frame;
    Encode(us);
    SaveStills();
    ++capture_frame;
    Progress();
}

// Start-up as the program does it, stepped in virtual time; then the tape
// to its end.
void Play() {
    PLAYER_Start(DataPath(kDrive).c_str());
    while (!capture_done) MakeFrame();
    std::fputc('\n', stderr);
}

int64_t FrameSample(int64_t frame) { return frame * CAPTURE_AUDIO_RATE / capture_fps; }

// The video's sound: silence, then the soundtrack from the frame in which
// the tape started it, sample for sample as the player decodes it.
std::vector<int16_t> Soundtrack() {
    const int64_t first = FrameSample(capture_first_frame);
    const int64_t last = FrameSample(capture_first_frame + capture_video_frames);
    std::vector<int16_t> pcm(2 * (last - first), 0);
    if (capture_play_frame == kNotPlayed) return pcm;
    const MP3_Pcm track = MP3_DecodeStereo(DataPath(kSoundtrack), CAPTURE_AUDIO_RATE);
    if (track.rate == 0) TOOL_ARGS_Error(std::string("cannot read the soundtrack ") + kSoundtrack);
    const int64_t start = FrameSample(capture_play_frame);
    const int64_t track_frames = track.samples.size() / 2;
    for (int64_t i = std::max(first, start); i < last && i - start < track_frames; ++i) {
        pcm[2 * (i - first)] = track.samples[2 * (i - start)];
        pcm[2 * (i - first) + 1] = track.samples[2 * (i - start) + 1];
    }
    return pcm;
}

void ReportMissingStills() {
    const uint64_t end = VELQ_PLAY_FrameUs(capture_frame, capture_fps);
    for (uint64_t t : capture_stills)
        if (t >= end)
            std::fprintf(stderr,
                         "amber_capture: no still at %.3f s: the production ends at %.3f s\n",
                         double(t) / VELQ_PLAY_SECOND_US, double(end) / VELQ_PLAY_SECOND_US);
}

}  // namespace

int main(int argc, char* argv[]) {
    ParseOptions(argc, argv);
    const uint64_t tape_end = VELQ_PLAY_TapeTimes(capture_fps).back();
    if (!capture_out.empty()) CheckStretch(tape_end);
    capture_total = FramesBefore(std::min(tape_end, capture_end_us));
    if (!capture_out.empty()) CAPTURE_EncodeStart(capture_out, capture_fps, capture_size);
    PLAYER_OpenScreen(true);
    capture_started = std::chrono::steady_clock::now();
    Play();
    if (!capture_out.empty()) {
        CAPTURE_EncodeFinish(Soundtrack());
        std::fprintf(stderr, "%s: %lld frames of %d x %d at %d fps\n", capture_out.c_str(),
                     static_cast<long long>(capture_video_frames), capture_size.width,
                     capture_size.height, capture_fps);
    }
    ReportMissingStills();
    return 0;
}
