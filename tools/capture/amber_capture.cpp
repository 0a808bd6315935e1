// amber_capture: the production as a video file. The headless player plays
// the real start-up steps, loader, sequencer and scenes in virtual time with
// a fixed step, on a private Xvfb server started for it; each frame is read
// back and encoded by ffmpeg, and the soundtrack is placed at the frame in
// which the tape asks for it to play. --still writes PNG stills instead of,
// or besides, the video.
#include <GL/gl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/velq2.h"
#include "headless/mp3_decode.h"
#include "headless/player.h"
#include "tools/capture/capture_encode.h"
#include "tools/tool_args.h"

namespace {

constexpr int kDefaultFps = VELQ_TICKS_PER_SECOND;  // every picture the tape makes, once
constexpr int kMaxFps = 1000;
constexpr int kMaxJobs = 64;
constexpr int kStretchesPerJob = 8;
constexpr auto kPollEvery = std::chrono::milliseconds(100);  // the players' progress
constexpr uint64_t kForever = UINT64_MAX;
constexpr int64_t kProgressEvery = 25;  // frames between progress lines
constexpr const char* kDrive = "amber_grid.cfs";
constexpr const char* kSoundtrack = "amber_grid.mp3";
constexpr const char* kUsage =
    "usage: amber_capture [-o FILE.mp4] [--size 1080p | --scale N] [--fps N] [--from T] [--to T]\n"
    "                     [--lossless] [--still T[,T...]] [--jobs N]\n"
    "  -o FILE        the production as H.264 High/AAC MP4, 640 x 480\n"
    "  --lossless     FFV1/FLAC in Matroska instead, every frame as it was drawn\n"
    "  --size 1080p   the video at 1920 x 1080, the picture centred at 1440 x 1080\n"
    "  --scale N      the video at 640N x 480N, N from 1 to 8\n"
    "  --fps N        frames per second (default 50: one frame per 20 ms tick)\n"
    "  --from, --to   the stretch of the video, in seconds from the program's start\n"
    "  --still T,...  PNG stills amber_grid_at_T.png of production times T, in the\n"
    "                 current folder\n"
    "  --jobs N       players drawing stretches of the tape side by side (default:\n"
    "                 the number of cores); the frames are the same with any N\n";

std::string capture_out;
CAPTURE_Size capture_size{VELQ_SCREEN_WIDTH, VELQ_SCREEN_HEIGHT};
int capture_fps = kDefaultFps;
uint64_t capture_from_us = 0;
uint64_t capture_to_us = kForever;
std::vector<uint64_t> capture_stills;
int capture_jobs = std::max(1u, std::thread::hardware_concurrency());
bool capture_lossless = false;

// Frames first to end - 1, which one player draws.
struct Stretch {
    int64_t first;
    int64_t end;
};
std::vector<Stretch> capture_stretches;
std::vector<std::string> capture_videos;  // each stretch's video; empty where it has none
Stretch capture_video{0, 0};               // the video's frames
int64_t capture_total = 0;                 // the frame after the last one asked for
int64_t capture_frames = 0;                // frames to make, for the progress line
uint64_t capture_end_us = 0;               // nothing from here on is asked for
std::chrono::steady_clock::time_point capture_started;

// What the players share with the capture, in memory it maps before it
// forks them: the next stretch to take, and what each player has done.
struct PlayerReport {
    std::atomic<int64_t> made;        // frames drawn so far
    std::atomic<uint64_t> played_us;  // when the soundtrack was asked for
};
struct Shared {
    std::atomic<size_t> next_stretch;
    PlayerReport players[kMaxJobs];
};
Shared* capture_shared = nullptr;

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
        if (a == "--lossless") {
            capture_lossless = true;
            continue;
        }
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
        } else if (a == "--jobs") {
            capture_jobs = std::atoi(v);
            if (capture_jobs < 1 || capture_jobs > kMaxJobs) Usage("--jobs takes 1 to 64");
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

void Progress(int64_t made) {
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - capture_started).count();
    const double rate = made / std::max(wall, 1e-3);
    std::fprintf(stderr, "\rframe %lld/%lld  %5.1f%%  %6.1f fps  %s left ",
                 static_cast<long long>(made), static_cast<long long>(capture_frames),
                 100.0 * made / capture_frames, rate,
                 ClockText((capture_frames - made) / std::max(rate, 1e-3)).c_str());
}

// The stills whose production time falls while frame k is on screen.
void SaveStills(int64_t k) {
    for (uint64_t t : capture_stills) {
        if (VELQ_PLAY_FrameOn(t, capture_fps) != k) continue;
        char path[64];
        std::snprintf(path, sizeof path, "amber_grid_at_%g.png", double(t) / VELQ_PLAY_SECOND_US);
        PLAYER_SavePng(path, PLAYER_ReadFrame(), VELQ_SCREEN_WIDTH, VELQ_SCREEN_HEIGHT);
        std::fprintf(stderr, "\rstill at %.3f s: %s\n", double(t) / VELQ_PLAY_SECOND_US, path);
    }
}

void Encode() {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, VELQ_SCREEN_WIDTH, VELQ_SCREEN_HEIGHT, GL_BGRA, GL_UNSIGNED_BYTE,
                 CAPTURE_NextFrame());
    CAPTURE_EncodeFrame();
}

// Frame k; false once the tape has ended.
bool MakeFrame(int64_t k) {
    if (VELQ_PLAY_FrameAt(VELQ_PLAY_FrameUs(k, capture_fps), true) == 1) return false;
    if (k >= capture_video.first && k < capture_video.end) Encode();
    SaveStills(k);
    return true;
}

// The soundtrack's start, for the capture to encode the sound by, as soon
// as the player has passed it.
void ReportPlayed(PlayerReport& report) {
    if (report.played_us.load(std::memory_order_relaxed) == PLAYER_NOT_PLAYED)
        report.played_us.store(PLAYER_SoundtrackStartUs(), std::memory_order_release);
}

// Draws and encodes stretch j, the player standing at frame from.
void PlayStretch(size_t j, int64_t from, PlayerReport& report) {
    const Stretch stretch = capture_stretches[j];
    const std::string& video = capture_videos[j];
    // Side by side the stretches fill the cores: an encoder's own threads
    // would only contend with them, for more CPU time.
    if (!video.empty())
        CAPTURE_EncodeStart(video, capture_fps, capture_size, capture_lossless, capture_jobs > 1);
    VELQ_PLAY_Skip(from, stretch.first, capture_fps);
    ReportPlayed(report);
    for (int64_t k = stretch.first; k < stretch.end && MakeFrame(k); ++k) {
        ReportPlayed(report);
        const int64_t made = report.made.fetch_add(1, std::memory_order_relaxed) + 1;
        if (capture_jobs == 1 && (made % kProgressEvery == 0 || made == capture_frames))
            Progress(made);
    }
    if (!video.empty()) CAPTURE_EncodeEnd(video);
}

// Player p: start-up as the program does it, stepped in virtual time; then
// the stretches it takes, in order, skipping to each as a seek in the
// browser does. The players take the next stretch as they finish one, so
// none stands idle while another has far to go.
void Play(size_t p) {
    PlayerReport& report = capture_shared->players[p];
    PLAYER_OpenScreen(true);
    PLAYER_Start(DataPath(kDrive).c_str());
    int64_t at = 0;
    for (size_t j; (j = capture_shared->next_stretch.fetch_add(1)) < capture_stretches.size();) {
        PlayStretch(j, at, report);
        at = capture_stretches[j].end;
    }
}

// Player p in a process of its own, with its own X server; only the first
// prints the trace. Its process group holds its encoders too, so that
// ending the group leaves nothing writing the files a failure removes.
pid_t Fork(size_t p) {
    const pid_t pid = fork();
    if (pid < 0) CAPTURE_Fail(std::string("fork: ") + std::strerror(errno));
    // Both sides set the group, so that it exists whichever runs first.
    setpgid(pid > 0 ? pid : 0, 0);
    if (pid > 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (p > 0 && !std::freopen("/dev/null", "w", stdout)) std::_Exit(TOOL_ARGS_ERROR_STATUS);
    Play(p);
    std::exit(0);
}

int64_t Made() {
    int64_t made = 0;
    for (int p = 0; p < capture_jobs; ++p) made += capture_shared->players[p].made.load();
    return made;
}

// Ends what the failed player left running and the players still running,
// then the capture.
[[noreturn]] void Abandon(pid_t failed, const std::vector<pid_t>& players) {
    kill(-failed, SIGKILL);
    for (pid_t pid : players) kill(-pid, SIGKILL), waitpid(pid, nullptr, 0);
    CAPTURE_Fail("a player stopped before its stretch ended (see its message above)");
}

// Takes the players that have ended out of players.
void Reap(std::vector<pid_t>& players) {
    for (size_t i = 0; i < players.size();) {
        int status = 0;
        if (waitpid(players[i], &status, WNOHANG) != players[i]) {
            ++i;
            continue;
        }
        const pid_t ended = players[i];
        players.erase(players.begin() + i);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Abandon(ended, players);
    }
}

int64_t FrameSample(int64_t frame) { return frame * CAPTURE_AUDIO_RATE / capture_fps; }

// When the soundtrack was first asked for: every player that has passed it
// saw the same moment, since each replays the tape from its start.
uint64_t PlayedUs() {
    uint64_t played = PLAYER_NOT_PLAYED;
    for (int p = 0; p < capture_jobs; ++p)
        played = std::min(played, capture_shared->players[p].played_us.load(std::memory_order_acquire));
    return played;
}

// The video's sound: silence, then the soundtrack from the frame in which
// the tape started it, sample for sample as the player decodes it.
std::vector<int16_t> Soundtrack() {
    const int64_t first = FrameSample(capture_video.first);
    const int64_t last = FrameSample(capture_video.end);
    std::vector<int16_t> pcm(2 * (last - first), 0);
    const uint64_t played_us = PlayedUs();
    if (played_us == PLAYER_NOT_PLAYED) return pcm;
    const MP3_Pcm track = MP3_DecodeStereo(DataPath(kSoundtrack), CAPTURE_AUDIO_RATE);
    if (track.rate == 0) CAPTURE_Fail(std::string("cannot read the soundtrack ") + kSoundtrack);
    const int64_t start = FrameSample(VELQ_PLAY_FrameOn(played_us, capture_fps));
    const int64_t track_frames = track.samples.size() / 2;
    for (int64_t i = std::max(first, start); i < last && i - start < track_frames; ++i) {
        pcm[2 * (i - first)] = track.samples[2 * (i - start)];
        pcm[2 * (i - first) + 1] = track.samples[2 * (i - start) + 1];
    }
    return pcm;
}

bool capture_sound_started = false;

// The video's sound, encoded beside the players once one of them has
// passed the soundtrack's start, or once they are done.
void StartSound(bool players_done) {
    if (capture_out.empty() || capture_sound_started) return;
    if (!players_done && PlayedUs() == PLAYER_NOT_PLAYED) return;
    CAPTURE_SoundStart(capture_out, capture_lossless, Soundtrack());
    capture_sound_started = true;
}

// capture_jobs players side by side; the first that fails ends the rest.
void PlayInParallel() {
    std::fflush(nullptr);
    std::vector<pid_t> players;
    for (int p = 0; p < capture_jobs; ++p) players.push_back(Fork(p));
    while (!players.empty()) {
        std::this_thread::sleep_for(kPollEvery);
        Progress(Made());
        Reap(players);
        StartSound(false);
    }
}

// The frames from the first one asked for to the last, in stretches of
// nearly equal length: several a player, since they draw at different
// speeds and a skip to the next one costs next to nothing.
void Split() {
    int64_t first = capture_out.empty() ? capture_total : capture_video.first;
    for (uint64_t t : capture_stills) first = std::min(first, VELQ_PLAY_FrameOn(t, capture_fps));
    first = std::min(first, capture_total);
    const int64_t frames = capture_total - first;
    const int64_t wanted = capture_jobs == 1 ? 1 : capture_jobs * kStretchesPerJob;
    const int64_t stretches = std::max<int64_t>(1, std::min(wanted, frames));
    for (int64_t j = 0; j < stretches; ++j)
        capture_stretches.push_back(
            {first + frames * j / stretches, first + frames * (j + 1) / stretches});
    capture_frames = frames;
    capture_jobs = std::min<int64_t>(capture_jobs, stretches);
}

void ReportMissingStills(uint64_t tape_end) {
    for (uint64_t t : capture_stills)
        if (t >= tape_end)
            std::fprintf(stderr,
                         "amber_capture: no still at %.3f s: the production ends at %.3f s\n",
                         double(t) / VELQ_PLAY_SECOND_US, double(tape_end) / VELQ_PLAY_SECOND_US);
}

// The memory the players share with the capture, mapped before it forks
// them.
void Share() {
    void* shared = mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) CAPTURE_Fail(std::string("mmap: ") + std::strerror(errno));
    capture_shared = new (shared) Shared{};
    for (PlayerReport& report : capture_shared->players) report.played_us = PLAYER_NOT_PLAYED;
}

// Each stretch's video file, where it holds some of the video's frames.
void ClaimVideos() {
    capture_videos.assign(capture_stretches.size(), "");
    if (capture_out.empty()) return;
    std::vector<size_t> with_video;
    for (size_t j = 0; j < capture_stretches.size(); ++j)
        if (capture_stretches[j].first < capture_video.end &&
            capture_stretches[j].end > capture_video.first)
            with_video.push_back(j);
    const std::vector<std::string> videos =
        CAPTURE_Claim(capture_out, with_video.size(), capture_lossless);
    for (size_t i = 0; i < with_video.size(); ++i) capture_videos[with_video[i]] = videos[i];
}

}  // namespace

int main(int argc, char* argv[]) {
    ParseOptions(argc, argv);
    const uint64_t tape_end = VELQ_PLAY_TapeTimes(capture_fps).back();
    if (!capture_out.empty()) CheckStretch(tape_end);
    capture_total = FramesBefore(std::min(tape_end, capture_end_us));
    if (!capture_out.empty())
        capture_video = {FramesBefore(capture_from_us), FramesBefore(std::min(capture_to_us, tape_end))};
    Split();
    Share();
    ClaimVideos();
    capture_started = std::chrono::steady_clock::now();
    if (capture_jobs == 1)
        Play(0);
    else
        PlayInParallel();
    std::fputc('\n', stderr);
    StartSound(true);
    if (!capture_out.empty()) {
        std::vector<std::string> videos;
        for (const std::string& video : capture_videos)
            if (!video.empty()) videos.push_back(video);
        CAPTURE_Join(videos, capture_out, capture_lossless);
        std::fprintf(stderr, "%s: %lld frames of %d x %d at %d fps\n", capture_out.c_str(),
                     static_cast<long long>(capture_video.end - capture_video.first),
                     capture_size.width, capture_size.height, capture_fps);
    }
    ReportMissingStills(tape_end);
    return 0;
}
