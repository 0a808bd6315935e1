#include "tools/capture/capture_encode.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

constexpr const char* kFfmpeg = "ffmpeg";
constexpr size_t kFrameBytes = 640 * 480 * 4;  // BGRA

std::string capture_out;
std::string capture_video;  // the video alone, until the audio joins it
pid_t capture_pid = -1;
int capture_pipe = -1;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "\namber_capture: %s\n", what.c_str());
    // Once the output is claimed, no half-made video is left behind.
    if (!capture_video.empty()) {
        std::remove(capture_video.c_str());
        std::remove(capture_out.c_str());
    }
    std::exit(1);
}

// Starts ffmpeg with args, its standard input a pipe; returns the pipe.
int Spawn(std::vector<std::string> args) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) Fail(std::string("pipe: ") + std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    args.insert(args.begin(), {kFfmpeg, "-hide_banner", "-loglevel", "error", "-y"});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = posix_spawnp(&capture_pid, kFfmpeg, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (rc == ENOENT) Fail("the encoder ffmpeg is not installed (Debian: apt-get install ffmpeg)");
    if (rc != 0) Fail(std::string("cannot start ffmpeg: ") + std::strerror(rc));
    return fds[1];
}

void WriteAll(const void* data, size_t bytes) {
    const char* p = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t n = write(capture_pipe, p, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail("ffmpeg stopped taking data (see its message above)");
        p += n;
        bytes -= n;
    }
}

// Closes the pipe and waits for ffmpeg to finish what it was given.
void Wait() {
    close(capture_pipe);
    int status = 0;
    waitpid(capture_pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        Fail("ffmpeg failed writing " + capture_out + " (see its message above)");
}

void CheckWritable(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) Fail("cannot write " + path + ": " + std::strerror(errno));
    std::fclose(f);
}

}  // namespace

void CAPTURE_EncodeStart(const std::string& out, int fps) {
    // A broken pipe is reported as a write error rather than ending the process.
    signal(SIGPIPE, SIG_IGN);
    capture_out = out;
    CheckWritable(out);
    capture_video = out + ".video.mp4";
    CheckWritable(capture_video);
    capture_pipe =
        Spawn({"-f",         "rawvideo",          "-pix_fmt", "bgra",     "-s",         "640x480",
               "-framerate", std::to_string(fps), "-i",       "pipe:0",   "-vf",        "vflip",
               "-c:v",       "libx264",           "-preset",  "veryfast", "-crf",       "18",
               "-pix_fmt",   "yuv420p",           "-f",       "mp4",      capture_video});
}

void CAPTURE_EncodeFrame(const uint8_t* bgra) { WriteAll(bgra, kFrameBytes); }

void CAPTURE_EncodeFinish(const std::vector<int16_t>& pcm) {
    Wait();
    capture_pipe = Spawn({"-i",         capture_video, "-f",
                          "s16le",      "-ar",         std::to_string(CAPTURE_AUDIO_RATE),
                          "-ac",        "2",           "-i",
                          "pipe:0",     "-map",        "0:v",
                          "-map",       "1:a",         "-c:v",
                          "copy",       "-c:a",        "aac",
                          "-b:a",       "192k",        "-movflags",
                          "+faststart", "-f",          "mp4",
                          capture_out});
    WriteAll(pcm.data(), pcm.size() * sizeof(int16_t));
    Wait();
    std::remove(capture_video.c_str());
}
