#include "tools/capture/capture_encode.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <semaphore>
#include <thread>

#include "headless/player.h"
#include "platform/output_file.h"

extern char** environ;

namespace {

constexpr const char* kFfmpeg = "ffmpeg";
constexpr int kWidth = VELQ_SCREEN_WIDTH;  // the player's frames
constexpr int kHeight = VELQ_SCREEN_HEIGHT;
constexpr size_t kFrameBytes = kWidth * kHeight * 4;  // BGRA
constexpr int kHdHeight = 720;                        // from here on, HD encoder settings
constexpr const char* kEncoderStopped = "ffmpeg stopped taking data (see its message above)";

std::vector<std::string> capture_claimed;  // what a failure removes
pid_t capture_pid = -1;
int capture_pipe = -1;

// The sound's encoder runs beside the players, so that only joining is
// left once the last frame is drawn: its file, its ffmpeg, and the thread
// that feeds it the samples.
std::string capture_sound;
pid_t capture_sound_pid = -1;
int capture_sound_pipe = -1;
std::thread capture_sound_writer;
std::atomic<bool> capture_sound_broken{false};

// Frames wait in a ring for the writer thread, so the player draws the next
// ones while ffmpeg takes the last: each side works while the other waits.
constexpr int kRingFrames = 8;
std::vector<uint8_t> capture_ring;
std::counting_semaphore<kRingFrames> capture_free(kRingFrames);
std::counting_semaphore<kRingFrames + 1> capture_filled(0);
int64_t capture_queued = 0;              // frames handed over, on the main thread
std::atomic<int64_t> capture_total{-1};  // all of them, once the video ends
std::atomic<bool> capture_broken{false};
std::thread capture_writer;

}  // namespace

[[noreturn]] void CAPTURE_Fail(const std::string& what) {
    std::fprintf(stderr, "\namber_capture: %s\n", what.c_str());
    if (capture_sound_pid > 0) {
        kill(capture_sound_pid, SIGKILL);
        waitpid(capture_sound_pid, nullptr, 0);
    }
    // Once the output is claimed, no half-made video is left behind; a
    // device or a FIFO given as the output stays as it was.
    for (const std::string& path : capture_claimed) OUTFILE_Discard(path.c_str());
    // Without static destructors: the frame writer's thread may still be
    // running, and destroying it would abort the process.
    std::fflush(nullptr);
    std::_Exit(1);
}

namespace {

// Starts ffmpeg with args, its standard input a pipe; returns the pipe.
int Spawn(std::vector<std::string> args, pid_t& pid) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) CAPTURE_Fail(std::string("pipe: ") + std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    args.insert(args.begin(), {kFfmpeg, "-hide_banner", "-loglevel", "error", "-y"});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = posix_spawnp(&pid, kFfmpeg, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (rc == ENOENT) CAPTURE_Fail("the encoder ffmpeg is not installed (Debian: apt-get install ffmpeg)");
    if (rc != 0) CAPTURE_Fail(std::string("cannot start ffmpeg: ") + std::strerror(rc));
    return fds[1];
}

// False when ffmpeg no longer takes data.
bool Write(int pipe, const void* data, size_t bytes) {
    const char* p = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t n = write(pipe, p, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        bytes -= n;
    }
    return true;
}

// The writer thread: every frame in order, until the last one is through.
// After a failed write it only frees the slots; the main thread reports it.
void WriteFrames() {
    for (int64_t k = 0;; ++k) {
        capture_filled.acquire();
        if (k == capture_total.load(std::memory_order_acquire)) return;
        const uint8_t* frame = &capture_ring[(k % kRingFrames) * kFrameBytes];
        if (!capture_broken.load() && !Write(capture_pipe, frame, kFrameBytes))
            capture_broken.store(true);
        capture_free.release();
    }
}

void CheckWriter() {
    if (capture_broken.load()) CAPTURE_Fail(kEncoderStopped);
}

// Closes the pipe and waits for ffmpeg to finish what it was given.
void Wait(int pipe, pid_t& pid, const std::string& writing) {
    if (pipe >= 0) close(pipe);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        CAPTURE_Fail("ffmpeg failed writing " + writing + " (see its message above)");
}

// Claims out: a file is made or emptied now, so that a path that cannot be
// written fails before any frame is drawn. Anything else is only checked:
// opening a FIFO would wait for its reader.
void Claim(const std::string& out) {
    if (!OUTFILE_IsReplaceable(out.c_str())) {
        if (access(out.c_str(), W_OK) != 0)
            CAPTURE_Fail("cannot write " + out + ": " + std::strerror(errno));
        return;
    }
    capture_claimed.push_back(out);
    FILE* f = std::fopen(out.c_str(), "wb");
    if (!f) CAPTURE_Fail("cannot write " + out + ": " + std::strerror(errno));
    std::fclose(f);
}

// The files on the way to out go beside a file out, and to the temporary
// folder when out is anything else (/dev/null, a FIFO), whose folder is not
// ours; their names end in suffix.
std::string SidePath(const std::string& out, const std::string& suffix) {
    if (OUTFILE_IsReplaceable(out.c_str())) return out + suffix;
    std::string path = std::filesystem::temp_directory_path() / ("amber_capture-XXXXXX" + suffix);
    const int fd = mkstemps(path.data(), suffix.size());
    if (fd < 0) CAPTURE_Fail("cannot make a temporary file: " + std::string(std::strerror(errno)));
    close(fd);
    return path;
}

// Stretch k's video alone.
std::string VideoPath(const std::string& out, size_t k, bool lossless) {
    return SidePath(out, ".video" + std::to_string(k + 1) + (lossless ? ".mkv" : ".mp4"));
}

std::string Dimensions(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

// The frames upright and scaled to size. Pixels are repeated a whole number
// of times, so the glow's blocks and the pictures' edges stay sharp; a
// picture size between two multiples is reached by averaging down from the
// next one, which keeps every block the same width.
std::string Filter(CAPTURE_Size size) {
    const int picture_width = size.height * kWidth / kHeight;
    const int repeat = (size.height + kHeight - 1) / kHeight;
    std::string filter = "vflip";
    if (repeat > 1)
        filter += ",scale=" + std::to_string(kWidth * repeat) + ":" +
                  std::to_string(kHeight * repeat) + ":flags=neighbor";
    if (repeat * kHeight != size.height)
        filter += ",scale=" + std::to_string(picture_width) + ":" + std::to_string(size.height) +
                  ":flags=area";
    if (picture_width != size.width)
        filter += ",pad=" + std::to_string(size.width) + ":" + std::to_string(size.height) + ":" +
                  std::to_string((size.width - picture_width) / 2) + ":0:black";
    return filter;
}

// H.264 High profile. HD sizes are capped at a bitrate that video sites
// take as it is (they re-encode anything); 640 x 480 needs no cap. The
// lossless master is FFV1 in RGB, every frame exactly as it was drawn.
std::vector<std::string> VideoCodec(CAPTURE_Size size, bool lossless) {
    if (lossless) return {"-c:v", "ffv1", "-pix_fmt", "bgr0", "-f", "matroska"};
    std::vector<std::string> args = {"-c:v",     "libx264", "-profile:v", "high",     "-preset",
                                     "veryfast", "-crf",    "18",         "-pix_fmt", "yuv420p"};
    if (size.height >= kHdHeight) args.insert(args.end(), {"-maxrate", "20M", "-bufsize", "40M"});
    args.insert(args.end(), {"-f", "mp4"});
    return args;
}

// Lines of ffmpeg's concat list: each path in single quotes, a quote in
// it closed, escaped and reopened.
std::string ConcatList(const std::vector<std::string>& videos) {
    std::string list = "ffconcat version 1.0\n";
    for (const std::string& video : videos) {
        std::string quoted;
        for (char c : video) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        list += "file '" + quoted + "'\n";
    }
    return list;
}

// The stretches' videos as one, without encoding them again.
std::string Join(const std::vector<std::string>& videos, const std::string& out, bool lossless) {
    if (videos.size() == 1) return videos[0];
    const std::string list = SidePath(out, ".videos.txt");
    const std::string joined = VideoPath(out, videos.size(), lossless);
    Claim(list);
    Claim(joined);
    const std::string text = ConcatList(videos);
    if (!OUTFILE_Save(list.c_str(), std::vector<uint8_t>(text.begin(), text.end())))
        CAPTURE_Fail("cannot write " + list);
    capture_pipe = Spawn({"-f", "concat", "-safe", "0", "-i", list, "-c", "copy", "-f",
                          lossless ? "matroska" : "mp4", joined},
                         capture_pid);
    Wait(capture_pipe, capture_pid, joined);
    OUTFILE_Discard(list.c_str());
    for (const std::string& video : videos) OUTFILE_Discard(video.c_str());
    return joined;
}

}  // namespace

std::vector<std::string> CAPTURE_Claim(const std::string& out, int stretches, bool lossless) {
    // A broken pipe is reported as a write error rather than ending the process.
    signal(SIGPIPE, SIG_IGN);
    Claim(out);
    std::vector<std::string> videos;
    for (int k = 0; k < stretches; ++k) {
        videos.push_back(VideoPath(out, k, lossless));
        Claim(videos.back());
    }
    return videos;
}

void CAPTURE_EncodeStart(const std::string& video, int fps, CAPTURE_Size size, bool lossless,
                         bool one_thread) {
    std::vector<std::string> args = {
        "-f",         "rawvideo",          "-pix_fmt", "bgra",   "-s",  Dimensions(kWidth, kHeight),
        "-framerate", std::to_string(fps), "-i",       "pipe:0", "-vf", Filter(size)};
    const std::vector<std::string> codec = VideoCodec(size, lossless);
    args.insert(args.end(), codec.begin(), codec.end());
    if (one_thread) args.insert(args.end(), {"-threads", "1"});
    args.push_back(video);
    capture_pipe = Spawn(args, capture_pid);
    capture_queued = 0;
    capture_total.store(-1);
    capture_broken.store(false);
    capture_ring.resize(kRingFrames * kFrameBytes);
    capture_writer = std::thread(WriteFrames);
}

uint8_t* CAPTURE_NextFrame() {
    CheckWriter();
    capture_free.acquire();
    return &capture_ring[(capture_queued % kRingFrames) * kFrameBytes];
}

void CAPTURE_EncodeFrame() {
    ++capture_queued;
    capture_filled.release();
}

void CAPTURE_EncodeEnd(const std::string& video) {
    capture_total.store(capture_queued, std::memory_order_release);
    capture_filled.release();
    capture_writer.join();
    CheckWriter();
    Wait(capture_pipe, capture_pid, video);
}

void CAPTURE_SoundStart(const std::string& out, bool lossless, std::vector<int16_t> pcm) {
    capture_sound = SidePath(out, lossless ? ".sound.mka" : ".sound.m4a");
    Claim(capture_sound);
    std::vector<std::string> args = {"-f", "s16le", "-ar", std::to_string(CAPTURE_AUDIO_RATE),
                                     "-ac", "2", "-i", "pipe:0"};
    if (lossless)
        args.insert(args.end(), {"-c:a", "flac", "-f", "matroska", capture_sound});
    else
        args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k", "-f", "mp4", capture_sound});
    capture_sound_pipe = Spawn(args, capture_sound_pid);
    capture_sound_writer = std::thread([pcm = std::move(pcm)] {
        if (!Write(capture_sound_pipe, pcm.data(), pcm.size() * sizeof(int16_t)))
            capture_sound_broken.store(true);
        close(capture_sound_pipe);
    });
}

void CAPTURE_Join(const std::vector<std::string>& videos, const std::string& out, bool lossless) {
    const std::string video = Join(videos, out, lossless);
    capture_sound_writer.join();
    if (capture_sound_broken.load()) CAPTURE_Fail(kEncoderStopped);
    Wait(-1, capture_sound_pid, capture_sound);
    std::vector<std::string> args = {"-i",  video, "-i",  capture_sound, "-map",
                                     "0:v", "-map", "1:a", "-c",         "copy"};
    if (lossless)
        args.insert(args.end(), {"-f", "matroska", out});
    else
        args.insert(args.end(), {"-movflags", "+faststart", "-f", "mp4", out});
    capture_pipe = Spawn(args, capture_pid);
    Wait(capture_pipe, capture_pid, out);
    OUTFILE_Discard(video.c_str());
    OUTFILE_Discard(capture_sound.c_str());
}
