// The real program under a private X server: start-up trace, the keys that
// end it, the window close, and the missing sound device.
#include <gtest/gtest.h>
// Xlib's macros clash with GoogleTest's names, so it comes after it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "archive/cfs.h"
#include "tests/support/archive_support.h"
#include "tests/support/gl_bench.h"
#include "tests/support/xvfb.h"
#include "tools/capture/capture_tape.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Sanitizer reports of a program run go to files named with this prefix.
std::string SanitizerLog() { return testing::TempDir() + "sanitizer"; }

// Appends the report file to each sanitizer's options. Leaks are not looked
// for: the program releases nothing at exit by design, and what the leak
// check finds there is SDL's D-Bus buffer and blocks of unloaded libraries.
void RedirectSanitizerReports() {
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"}) {
        const char* old = std::getenv(name);
        const std::string options = old && *old ? std::string(old) + ":" : std::string();
        setenv(name, (options + "detect_leaks=0:log_path=" + SanitizerLog()).c_str(), 1);
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Program {
public:
    explicit Program(const char* audio_driver = "disk", const std::string& dir = AMBER_BUILD_DIR) {
        XVFB_Start();
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            setenv("SDL_AUDIODRIVER", audio_driver, 1);
            setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
            RedirectSanitizerReports();
            if (chdir(dir.c_str()) != 0) _exit(126);
            execl(AMBER_PROGRAM, AMBER_PROGRAM, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        out_ = fds[0];
        fcntl(out_, F_SETFL, O_NONBLOCK);
    }
    ~Program() {
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
        EXPECT_EQ(ReadFile(SanitizerLog() + "." + std::to_string(pid_)), "");
    }

    // Collects output until it contains text; false after the timeout.
    bool WaitFor(const std::string& text, std::chrono::milliseconds timeout) {
        const auto end = Clock::now() + timeout;
        while (output_.find(text) == std::string::npos) {
            if (Clock::now() > end || Pump(50) < 0) return output_.find(text) != std::string::npos;
        }
        return true;
    }
    // The exit status, or -1 if the program still runs after the timeout.
    int WaitExit(std::chrono::milliseconds timeout) {
        const auto end = Clock::now() + timeout;
        while (status_ < 0 && Clock::now() < end) {
            int raw;
            if (waitpid(pid_, &raw, WNOHANG) == pid_) {
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
                // No test ends the program by a signal it does not catch; what
                // the program printed before it died is in the test's stderr.
                EXPECT_FALSE(WIFSIGNALED(raw)) << strsignal(WTERMSIG(raw));
            } else {
                Pump(10);
            }
        }
        if (status_ >= 0)
            while (Pump(0) > 0) {
            }
        return status_;
    }
    const std::string& output() const { return output_; }
    void Signal(int sig) const { kill(pid_, sig); }
    pid_t pid() const { return pid_; }

private:
    // Reads what is available: the number of bytes, 0 when none came
    // within wait_ms, -1 at the end of the output.
    int Pump(int wait_ms) {
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, wait_ms) <= 0) return 0;
        char buf[4096];
        const ssize_t n = read(out_, buf, sizeof buf);
        if (n <= 0) return -1;
        output_.append(buf, n);
        return static_cast<int>(n);
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = -1;
    std::string output_;
};

void Xdotool(const std::string& args) {
    ASSERT_EQ(std::system(("xdotool " + args).c_str()), 0) << args;
}

Window FindWindow(Display* d, Window w, const char* title) {
    // The title may come as STRING or UTF8_STRING; an ASCII title reads the same in both.
    XTextProperty name{};
    if (XGetWMName(d, w, &name) && name.value) {
        const bool match = std::strcmp(reinterpret_cast<char*>(name.value), title) == 0;
        XFree(name.value);
        if (match) return w;
    }
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    Window found = 0;
    if (XQueryTree(d, w, &root, &parent, &children, &n)) {
        for (unsigned i = 0; i < n && !found; ++i) found = FindWindow(d, children[i], title);
        if (children) XFree(children);
    }
    return found;
}

// Asks the program's window to close, as a window manager's close button does.
void CloseWindow(const char* title) {
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    const Window w = FindWindow(d, DefaultRootWindow(d), title);
    ASSERT_NE(w, 0u) << "no window called " << title;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = XInternAtom(d, "WM_DELETE_WINDOW", False);
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XCloseDisplay(d);
}

constexpr const char* kCaption = "VElQ series 2 qk: amber_grid";

// How soon Escape must end the program; a ThreadSanitizer build runs and
// exits several times slower.
#ifdef __SANITIZE_THREAD__
constexpr auto kQuitWithin = 3s;
#else
constexpr auto kQuitWithin = 1s;
#endif

// The whole screen as RGBA, row 0 at the bottom (the bench's frame layout).
std::vector<uint8_t> GrabScreen(Display* d) {
    std::vector<uint8_t> rgba(BENCH_WIDTH * BENCH_HEIGHT * 4);
    XImage* img =
        XGetImage(d, DefaultRootWindow(d), 0, 0, BENCH_WIDTH, BENCH_HEIGHT, AllPlanes, ZPixmap);
    if (!img) return rgba;
    for (int y = 0; y < BENCH_HEIGHT; ++y)
        for (int x = 0; x < BENCH_WIDTH; ++x) {
            const unsigned long p = XGetPixel(img, x, BENCH_HEIGHT - 1 - y);
            uint8_t* q = &rgba[(static_cast<size_t>(y) * BENCH_WIDTH + x) * 4];
            q[0] = (p >> 16) & 0xff;
            q[1] = (p >> 8) & 0xff;
            q[2] = p & 0xff;
            q[3] = 255;
        }
    XDestroyImage(img);
    return rgba;
}

bool Black(const std::vector<uint8_t>& s, int x, int y) {
    const BENCH_Rgb p = BENCH_Pixel(s, x, y);
    return p.r < 16 && p.g < 16 && p.b < 16;
}

// Progress box k is solid when its whole 20 x 24 inside is black.
bool BoxSolid(const std::vector<uint8_t>& s, int k) {
    for (int y = 429; y < 452; ++y)
        for (int x = 20 + 40 * k - 9; x < 20 + 40 * k + 9; ++x)
            if (!Black(s, x, y)) return false;
    return true;
}

// The loading screen: every box either hollow (its black frame ring) or
// solid, over the boot picture, which shows light between the boxes.
bool ShowsLoading(const std::vector<uint8_t>& s) {
    for (int k = 0; k < 8; ++k) {
        const int x = 20 + 40 * k;
        const bool ring = Black(s, x - 12, 440) && Black(s, x, 457) && Black(s, x, 422);
        if (!ring && !BoxSolid(s, k)) return false;
    }
    return !Black(s, 40, 440);
}

// Share of pixels that differ between two screens.
double Difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    size_t differ = 0;
    for (size_t i = 0; i < a.size(); i += 4)
        if (std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]) >
            48)
            ++differ;
    return static_cast<double>(differ) / (a.size() / 4);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Stills of the real program in the middle of each tape entry, in seconds
// from the first scene's start, saved for people to look at. Each shows
// its scene: the picture band is not one plain colour, and the rows below
// every caption are letterbox black.
void SaveStills(Display* d, Clock::time_point scene_clock) {
    constexpr double kMoments[] = {6, 20, 35, 52, 70, 87, 107, 125, 145, 166};
    for (double moment : kMoments) {
        std::this_thread::sleep_until(scene_clock + std::chrono::duration_cast<Clock::duration>(
                                                        std::chrono::duration<double>(moment)));
        const auto s = GrabScreen(d);
        BENCH_SaveFrame(s, "program_at_" + std::to_string(int(moment)));
        const BENCH_Rgb first = BENCH_Pixel(s, 0, 240);
        int other_colours = 0;
        for (int y = 100; y < 380; y += 8)
            for (int x = 0; x < BENCH_WIDTH; x += 8) {
                const BENCH_Rgb p = BENCH_Pixel(s, x, y);
                other_colours += std::abs(p.r - first.r) + std::abs(p.g - first.g) > 24;
            }
        EXPECT_GT(other_colours, 20) << moment;
        for (int x = 0; x < BENCH_WIDTH; x += 8) EXPECT_TRUE(Black(s, x, 4)) << moment;
    }
}

// Where the program's tape entry index lies in its process: the symbol's
// place in the (position-independent) executable plus where it is mapped.
uintptr_t EntryIndexAddress(pid_t pid) {
    FILE* nm = popen("nm " AMBER_PROGRAM, "r");
    char line[512];
    uintptr_t offset = 0;
    while (nm && fgets(line, sizeof line, nm))
        if (std::strstr(line, " velq_caller\n")) offset = std::strtoull(line, nullptr, 16);
    if (nm) pclose(nm);
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::string first;
    std::getline(maps, first);
    return offset ? std::strtoull(first.c_str(), nullptr, 16) + offset : 0;
}

// When the program enters each tape entry (index 11: the tape's end), read
// from its memory every millisecond until the tape ends or it exits.
std::array<Clock::time_point, 12> WatchEntries(pid_t pid) {
    std::array<Clock::time_point, 12> entered{};
    // A real-time priority, where allowed, keeps the watch punctual on a busy machine.
    const sched_param priority{1};
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
    const uintptr_t address = EntryIndexAddress(pid);
    int32_t seen = 0, entry = 0;
    iovec local{&entry, sizeof entry}, remote{reinterpret_cast<void*>(address), sizeof entry};
    while (seen <= 10 && process_vm_readv(pid, &local, 1, &remote, 1, 0) == sizeof entry) {
        if (entry != seen && entry >= 0 && entry < 12) entered[seen = entry] = Clock::now();
        std::this_thread::sleep_for(1ms);
    }
    return entered;
}

// Started and showing its first frames, ready for input.
void WaitRunning(Program& p) {
    ASSERT_TRUE(p.WaitFor("VELQ_CORE\n", 20s)) << p.output();
    std::this_thread::sleep_for(500ms);
}

TEST(Program, PrintsMainFirstAndQuitsOnEscapeWithinASecond) {
    Program p;
    WaitRunning(p);
    EXPECT_EQ(p.output().rfind("VELQ_MAIN\n", 0), 0u) << p.output();
    const auto pressed = Clock::now();
    Xdotool("key Escape");
    EXPECT_EQ(p.WaitExit(2 * kQuitWithin), 0) << p.output();
    EXPECT_LT(Clock::now() - pressed, kQuitWithin);
}

TEST(Program, OtherKeysAndKeyReleasesDoNotQuit) {
    Program p;
    WaitRunning(p);
    Xdotool("key a");
    Xdotool("key space");
    Xdotool("keyup Escape");
    EXPECT_EQ(p.WaitExit(1500ms), -1) << "quit on a key that is not an Escape press";
    Xdotool("keydown Escape");
    EXPECT_EQ(p.WaitExit(2 * kQuitWithin), 0);
}

TEST(Program, ClosingTheWindowQuits) {
    Program p;
    WaitRunning(p);
    CloseWindow(kCaption);
    EXPECT_EQ(p.WaitExit(2 * kQuitWithin), 0) << p.output();
}

TEST(Program, EscapeDuringLoadingQuitsWhileTheLoaderWorks) {
    Program p;
    ASSERT_TRUE(p.WaitFor("VELQ_LOADER\n", 20s)) << p.output();
    std::this_thread::sleep_for(4s);
    Xdotool("key Escape");
    EXPECT_EQ(p.WaitExit(kQuitWithin), 0) << p.output();
    EXPECT_EQ(p.output().find("CFS_Close"), std::string::npos) << "loading had already ended";
}

// The whole production, watched from outside: the start-up trace, the
// loading boxes filling at their pace, the loading entry's length, and the
// tape running to its end.
TEST(ProgramRun, LoadsAtItsPaceAndPlaysTheTapeToItsEnd) {
    Program p;
    ASSERT_TRUE(p.WaitFor("VELQ_LOADER\n", 20s)) << p.output();
    const auto loader_start = Clock::now();
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    std::array<Clock::time_point, 12> entered;
    std::thread watch([&] { entered = WatchEntries(p.pid()); });

    // Watch the screen until the loading frame gives way to the first scene.
    std::array<double, 8> box_time{};
    box_time.fill(-1);
    std::vector<uint8_t> all_done;
    double scene_start = -1;
    bool saved_loading = false;
    while (Seconds(Clock::now() - loader_start) < 30) {
        const auto s = GrabScreen(d);
        const double now = Seconds(Clock::now() - loader_start);
        if (!all_done.empty()) {
            if (Difference(s, all_done) > 0.05) {
                scene_start = now;
                break;
            }
        } else if (ShowsLoading(s)) {
            for (int k = 0; k < 8; ++k)
                if (box_time[k] < 0 && BoxSolid(s, k)) box_time[k] = now;
            if (!saved_loading && box_time[2] > 0) {
                BENCH_SaveFrame(s, "program_loading");
                saved_loading = true;
            }
            if (box_time[7] > 0) all_done = s;
        }
        std::this_thread::sleep_for(20ms);
    }

    // Boxes fill in order at the loader's pace (3 s, then the pauses); the
    // INIT functions take milliseconds, well inside the 0.3 s allowed.
    constexpr double kExpected[8] = {3, 4, 6, 7, 8, 10, 11, 12};
    for (int k = 0; k < 8; ++k) {
        std::printf("box %d solid at %.2f s (paced at %.0f s)\n", k, box_time[k], kExpected[k]);
        EXPECT_GE(box_time[k], kExpected[k] - 0.1) << "box " << k;
        EXPECT_LE(box_time[k], kExpected[k] + 0.3) << "box " << k;
        if (k > 0) {
            EXPECT_GT(box_time[k], box_time[k - 1]);
        }
    }
    std::printf("first scene at %.2f s after the loader started\n", scene_start);
    EXPECT_GE(scene_start, 13.0);
    EXPECT_LE(scene_start, 14.0);

    // The tape's entries 1 to 10 last about 171.4 s of channel time.
    const auto scene_clock = loader_start + std::chrono::duration_cast<Clock::duration>(
                                                std::chrono::duration<double>(scene_start));
    SaveStills(d, scene_clock);
    XCloseDisplay(d);
    EXPECT_EQ(p.WaitExit(200s), 0) << p.output();
    watch.join();
    const std::string& out = p.output();

    // Start-up trace, in order; the drive closes once loading is done.
    const auto at = [&](const char* line) { return out.find(line); };
    EXPECT_EQ(at("VELQ_MAIN\n"), 0u) << out;
    EXPECT_LT(at("VELQ_MAIN\n"),
              at("CFS_Open: Attempting to open drive ./amber_grid.cfs ... done.\n"));
    EXPECT_LT(at(" done.\nCFS_Open: WendrikFS drive v1.1 ("), at("VELQ_TIMER\n"));
    EXPECT_LT(at("CFS_Open: WendrikFS drive"), at("VELQ_LOADER\n"));
    EXPECT_LT(at("VELQ_TIMER\n"), at("VELQ_CORE\n"));
    EXPECT_LT(at("VELQ_LOADER\n"), at("CFS_Close: Closing drive ... done.\n")) << out;
    EXPECT_NE(at("VELQ_CORE\n"), std::string::npos);

    // The picture keeps with the soundtrack, which starts with entry 1: each
    // entry starts, and the tape ends, when the channel time of the entries
    // before it has passed in real time.
    const std::vector<uint64_t> channel = CAPTURE_TapeTimes(50);
    for (int e = 2; e <= 11; ++e) {
        const double expected = double(channel[e - 1] - channel[0]) / CAPTURE_SECOND_US;
        const double real = Seconds(entered[e] - entered[1]);
        std::printf("entry %d at %.3f s after entry 1 (channel time %.2f s)\n", e, real, expected);
        EXPECT_NEAR(real, expected, e == 11 ? 0.06 : 0.04) << "entry " << e;
    }
    std::printf("tape after loading: %.3f s\n", Seconds(entered[11] - entered[1]));
}

TEST(Program, WithoutSoundDeviceReportsTheErrorAndReturnsOne) {
    Program p("no_such_audio_driver");
    EXPECT_EQ(p.WaitExit(20s), 1) << p.output();
    EXPECT_NE(p.output().find("VELQ_MAIN\nError!\nError initializing output device.\n"),
              std::string::npos)
        << p.output();
}

// A copy of the build's drive to damage: whole bytes, entries found by name.
struct Drive {
    std::vector<uint8_t> bytes;

    Drive() {
        const std::string all = ReadFile(AMBER_BUILD_DIR "/amber_grid.cfs");
        bytes.assign(all.begin(), all.end());
    }
    size_t Field(const char* name, size_t field) const {
        const uint32_t count = Word(12);
        for (size_t i = 0; i < count; ++i) {
            const size_t at = ARCHIVE_TEST_EntryField(i, 0);
            if (std::strcmp(reinterpret_cast<const char*>(&bytes[at]), name) == 0)
                return at + field;
        }
        ADD_FAILURE() << "no entry " << name;
        return 0;
    }
    uint32_t Word(size_t at) const {
        uint32_t w;
        std::memcpy(&w, &bytes[at], 4);
        return w;
    }
    void Patch(size_t at, uint32_t w) { ARCHIVE_TEST_Patch(bytes, at, w); }
    void Set(const char* name, size_t field, uint32_t w) { Patch(Field(name, field), w); }
    // Stores a new payload for the entry at the end of the drive.
    void Replace(const char* name, const std::vector<uint32_t>& words) {
        uLongf csize = compressBound(words.size() * 4);
        std::vector<uint8_t> stored(csize);
        compress(stored.data(), &csize, reinterpret_cast<const Bytef*>(words.data()),
                 words.size() * 4);
        Set(name, offsetof(CFS_Entry, offset), uint32_t(bytes.size()));
        Set(name, offsetof(CFS_Entry, csize), uint32_t(csize));
        Set(name, offsetof(CFS_Entry, isize), uint32_t(words.size() * 4));
        bytes.insert(bytes.end(), stored.begin(), stored.begin() + csize);
    }
    // A folder holding this drive, or none, beside the build's soundtrack.
    std::string Folder(const std::string& name, bool with_drive = true) const {
        const std::string dir = testing::TempDir() + name;
        std::filesystem::create_directories(dir);
        std::filesystem::remove(dir + "/amber_grid.mp3");
        std::filesystem::create_symlink(AMBER_BUILD_DIR "/amber_grid.mp3", dir + "/amber_grid.mp3");
        if (with_drive)
            std::ofstream(dir + "/amber_grid.cfs", std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return dir;
    }
};

struct DamagedDrive {
    const char* name;
    const char* message;
    void (*damage)(Drive&);
};

// Every fatal path that drive content can reach, on the main thread at
// start-up and on the loader thread while the loading entry renders.
const DamagedDrive kDamagedDrives[] = {
    {"no_drive", "CFS_Open: FATAL_ERROR: Could not open drive file.\n", nullptr},
    {"signature", "CFS_Open: FATAL_ERROR: This is NOT handler-compatible drive file.\n",
     [](Drive& d) { d.bytes[3] = 'X'; }},
    {"header", "CFS_Open: FATAL_ERROR: Drive header is truncated.\n",
     [](Drive& d) { d.bytes.resize(9); }},
    {"directory", "CFS_Open: FATAL_ERROR: Drive directory is truncated.\n",
     [](Drive& d) { d.Patch(12, 0x10000000); }},
    {"name", "CFS_Open: FATAL_ERROR: Drive directory holds an unterminated name.\n",
     [](Drive& d) { std::memset(&d.bytes[d.Field("lans", 0)], 'n', CFS_NAME_SIZE); }},
    {"bootpic", "CFS_Read: FATAL_ERROR: File not found.\n",
     [](Drive& d) { d.bytes[d.Field("bootpic", 0)] = 'B'; }},
    {"missing", "CFS_Read: FATAL_ERROR: File not found.\n",
     [](Drive& d) { d.bytes[d.Field("tsy", 0)] = 'T'; }},
    {"version_7_3", "CFS_Read: FATAL_ERROR: File not found.\n",
     [](Drive& d) {
         d.Patch(4, 7);
         d.Patch(8, 3);
         d.bytes[d.Field("aniooteq", 0)] = 'A';
     }},
    {"type", "CFS_Read: FATAL_ERROR: Wrong file type.\n",
     [](Drive& d) { d.Set("developed", offsetof(CFS_Entry, type), CFS_TYPE_ASE); }},
    {"offset", "CFS_Read: FATAL_ERROR: Drive access error.\n",
     [](Drive& d) { d.Set("zelto", offsetof(CFS_Entry, offset), 0xfffffff0u); }},
    {"checksum", "CFS_Read: Fatal error: decompression failed.\n",
     [](Drive& d) {
         const size_t at = d.Field("de", 0);
         d.bytes[d.Word(at + offsetof(CFS_Entry, offset)) +
                 d.Word(at + offsetof(CFS_Entry, csize)) - 2] ^= 0xff;
     }},
    {"short_isize", "CFS_Read: Fatal error: decompression failed.\n",
     [](Drive& d) {
         const size_t at = d.Field("ef", offsetof(CFS_Entry, isize));
         d.Patch(at, d.Word(at) - 1);
     }},
    {"picture", "CFS_ReadPNG24: FATAL_ERROR: Picture payload is truncated.\n",
     [](Drive& d) {
         d.Replace("developed", {1, 1, 4});
     }},
    {"tile_size", "CFS_ReadPNG24: FATAL_ERROR: Tile size is not a power of two.\n",
     [](Drive& d) {
         d.Replace("zelto", {1, 1, 12, 4});
     }},
    {"tile_width", "CFS_ReadPNG24: FATAL_ERROR: Tile width is not a multiple of 4.\n",
     [](Drive& d) {
         d.Replace("zelto", {1, 1, 2, 8});
     }},
    {"mesh_count", "CFS_ReadASE: FATAL_ERROR: Mesh payload is truncated.\n",
     [](Drive& d) {
         d.Set("tsy", offsetof(CFS_Entry, isize), 0xffffffffu);
         d.Replace("wsypa", {0xffffffffu, 3});
     }},
};

// Runs of each damaged drive; more with AMBER_FATAL_REPEATS.
int FatalRepeats() {
    const char* n = std::getenv("AMBER_FATAL_REPEATS");
    return n ? std::atoi(n) : 3;
}

// A fatal failure, on either thread, prints its message as the last line
// and ends the process with status 1 within a second, leaving no report.
TEST(ProgramFatal, DamagedDrivesEndWithTheirMessageWithinASecond) {
    const int repeats = FatalRepeats();
    for (const DamagedDrive& c : kDamagedDrives) {
        Drive drive;
        if (c.damage) c.damage(drive);
        const std::string dir = drive.Folder(c.name, c.damage != nullptr);
        for (int run = 0; run < repeats; ++run) {
            Program p("disk", dir);
            ASSERT_TRUE(p.WaitFor(c.message, 30s)) << c.name << ": " << p.output();
            const auto printed = Clock::now();
            EXPECT_EQ(p.WaitExit(2s), 1) << c.name << ": " << p.output();
            EXPECT_LT(Clock::now() - printed, 1s) << c.name;
            // The loader thread may print its trace line after a start-up failure.
            std::string out = p.output();
            if (const size_t at = out.rfind("VELQ_LOADER\n"); at != std::string::npos)
                out.erase(at, 12);
            EXPECT_TRUE(out.ends_with(c.message)) << c.name << ": " << out;
        }
    }
    std::printf("%zu damaged drives, %d runs each\n", std::size(kDamagedDrives), repeats);
}

// Entry boundaries, in seconds from the first scene's start.
constexpr double kBoundaries[] = {0,     13.34, 26.68,  43.36,  61.36,
                                  79.36, 94.36, 119.36, 131.04, 161.44};
constexpr double kFirstScene = 13.0;  // after the loader starts
constexpr double kTapeEnd = kFirstScene + 171.4;

// Seeded moments, in seconds from the loader's start: 11 over loading, the
// two boundaries that start the soundtrack and two more, and 5 over the
// tape, denser early to keep the run near 12 minutes.
std::vector<double> QuitMoments() {
    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<double> moments;
    for (int i = 0; i < 11; ++i) moments.push_back(0.2 + unit(random) * (kFirstScene - 0.2));
    std::vector<double> boundaries = {kBoundaries[0], kBoundaries[1]};
    for (int i = 0; i < 2; ++i) boundaries.push_back(kBoundaries[2 + random() % 8]);
    for (double b : boundaries) moments.push_back(kFirstScene + b + (unit(random) - 0.5) * 0.2);
    for (int i = 0; i < 5; ++i) {
        const double u = unit(random);
        moments.push_back(kFirstScene + u * u * (kTapeEnd - 1 - kFirstScene));
    }
    return moments;
}

// Quits by Escape, window close, SIGTERM and SIGINT, in turn, at every moment;
// the signals count as a window close, during loading too.
TEST(ProgramQuit, AtAnyMomentEndsWithStatusZeroWithinASecond) {
    const std::vector<double> moments = QuitMoments();
    const char* const ways[] = {"Escape", "close", "SIGTERM", "SIGINT"};
    const auto test_start = Clock::now();
    for (size_t i = 0; i < moments.size(); ++i) {
        Program p;
        ASSERT_TRUE(p.WaitFor("VELQ_LOADER\n", 20s)) << p.output();
        std::this_thread::sleep_until(
            Clock::now() +
            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(moments[i])));
        const auto quit = Clock::now();
        const int way = i % 4;
        if (way == 0) Xdotool("key Escape");
        if (way == 1) CloseWindow(kCaption);
        if (way >= 2) p.Signal(way == 2 ? SIGTERM : SIGINT);
        const int status = p.WaitExit(2 * kQuitWithin);
        const double took = Seconds(Clock::now() - quit);
        std::printf("quit %zu by %s at %.2f s: status %d after %.3f s\n", i, ways[way], moments[i],
                    status, took);
        EXPECT_EQ(status, 0) << ways[way] << " at " << moments[i] << ": " << p.output();
        EXPECT_LT(took, Seconds(kQuitWithin)) << ways[way] << " at " << moments[i];
    }
    std::printf("%zu quits in %.0f s\n", moments.size(), Seconds(Clock::now() - test_start));
}

// A missing or unreadable soundtrack is reported once and the production
// plays on without sound; a file cut short plays what it holds.
TEST(ProgramSound, BrokenSoundtrackPlaysSilently) {
    const std::string mp3 = ReadFile(AMBER_BUILD_DIR "/amber_grid.mp3");
    const std::pair<const char*, std::string> cases[] = {{"empty", ""},
                                                         {"truncated", mp3.substr(0, 300)},
                                                         {"garbage", std::string(20000, 'x')},
                                                         {"cut", mp3.substr(0, mp3.size() / 50)},
                                                         {"missing", ""}};
    const std::string line = "FSOUND_Stream_Open: amber_grid.mp3: ";
    for (const auto& [name, bytes] : cases) {
        const std::string dir = Drive().Folder(std::string("sound_") + name);
        std::filesystem::remove(dir + "/amber_grid.mp3");
        if (std::strcmp(name, "missing") != 0)
            std::ofstream(dir + "/amber_grid.mp3", std::ios::binary) << bytes;
        Program p("disk", dir);
        ASSERT_TRUE(p.WaitFor("VELQ_LOADER\n", 20s)) << p.output();
        std::this_thread::sleep_for(std::chrono::duration<double>(kFirstScene + 2));
        p.Signal(SIGTERM);
        EXPECT_EQ(p.WaitExit(2 * kQuitWithin), 0) << name << ": " << p.output();
        const std::string& out = p.output();
        const size_t at = out.find(line);
        if (std::strcmp(name, "cut") == 0) {
            EXPECT_EQ(at, std::string::npos) << out;
        } else {
            EXPECT_NE(at, std::string::npos) << name << ": " << out;
            EXPECT_EQ(out.find(line, at + 1), std::string::npos) << out;
        }
        EXPECT_NE(out.find("CFS_Close: Closing drive ... done.\n"), std::string::npos) << out;
    }
}

}  // namespace
