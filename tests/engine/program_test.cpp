// The real program under a private X server, in real time: start-up trace
// and the tape on channel time, the keys, window close and signals that end
// it at the risky moments, damaged drives, a broken soundtrack and a missing
// sound device. With AMBER_SOAK set the same tests run long: the whole tape,
// quits at 20 seeded moments, every damaged drive three times and every
// broken soundtrack; the soak alone also presses Escape at random moments.
#include <gtest/gtest.h>
// Xlib's macros clash with GoogleTest's names, so it comes after it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "archive/cfs.h"
#include "headless/player.h"
#include "headless/xvfb.h"
#include "media/png_read.h"
#include "media/png_write.h"
#include "tests/support/archive_support.h"
#include "tests/support/gl_bench.h"
#include "tests/support/shell_quote.h"

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

// Every thread's stack, as gdb reads it from a core file or a live process
// ("-p PID").
std::string Backtraces(const std::string& source) {
    std::string out;
    FILE* gdb = popen(
        ("gdb -batch -ex 'thread apply all bt' " + TEST_Quote(AMBER_PROGRAM) + " " + source + " 2>&1")
            .c_str(),
        "r");
    char buf[4096];
    for (size_t n; gdb && (n = fread(buf, 1, sizeof buf, gdb)) > 0;) out.append(buf, n);
    if (gdb) pclose(gdb);
    return out;
}

// Whether a crash's core file lands in the program's folder. A pattern that
// is a path or a pipe writes it elsewhere, and as root a path replaces
// whatever it names (some systems turn cores off with /dev/null).
bool CoresStayInFolder() {
    const std::string pattern = ReadFile("/proc/sys/kernel/core_pattern");
    return !pattern.empty() && pattern[0] != '/' && pattern[0] != '|';
}

class Program {
public:
    // output() holds what the program writes to standard output; standard
    // error goes to the test's own.
    explicit Program(const char* audio_driver = "disk", const std::string& dir = AMBER_BUILD_DIR,
                     int screen_width = VELQ_SCREEN_WIDTH, int screen_height = VELQ_SCREEN_HEIGHT) {
        XVFB_Start(screen_width, screen_height);
        const bool cores = CoresStayInFolder();
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            setenv("SDL_AUDIODRIVER", audio_driver, 1);
            // The disk driver's samples stay in the test's own folder.
            setenv("SDL_DISKAUDIOFILE", (testing::TempDir() + "disk_audio.raw").c_str(), 1);
            RedirectSanitizerReports();
            // A crash leaves a core file for its backtraces.
            const rlimit core{RLIM_INFINITY, RLIM_INFINITY};
            if (cores) setrlimit(RLIMIT_CORE, &core);
            if (chdir(dir.c_str()) != 0) _exit(126);
            execl(AMBER_PROGRAM, AMBER_PROGRAM, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        out_ = fds[0];
        fcntl(out_, F_SETFL, O_NONBLOCK);
        dir_ = dir;
    }
    ~Program() {
        if (pid_ > 0 && status_ < 0) {
            std::printf("still running at the test's end:\n%s\n",
                        Backtraces("-p " + std::to_string(pid_)).c_str());
            // A late exit shows by the time gdb is done.
            int raw = 0;
            if (waitpid(pid_, &raw, WNOHANG) == pid_) {
                std::printf("it ended meanwhile: exit status %d, signal %d\n",
                            WIFEXITED(raw) ? WEXITSTATUS(raw) : -1,
                            WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
            } else {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
            }
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
                if (WIFSIGNALED(raw)) ADD_FAILURE() << strsignal(WTERMSIG(raw)) << CoreBacktraces();
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
    // The backtraces of the core file the program left, which goes.
    std::string CoreBacktraces() const {
        for (const std::string& name : {dir_ + "/core", dir_ + "/core." + std::to_string(pid_)}) {
            if (!std::filesystem::exists(name)) continue;
            const std::string traces = Backtraces(TEST_Quote(name));
            std::filesystem::remove(name);
            return "\n" + traces;
        }
        return " (no core file)";
    }

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

    std::string dir_;
    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = -1;
    std::string output_;
};

// xdotool, bounded: its --sync waits end after 20 s.
void Xdotool(const std::string& args) {
    ASSERT_EQ(std::system(("timeout 20 xdotool " + args).c_str()), 0) << args;
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

// What another X client does to the program's window.
enum WindowDeed { kAskToClose, kDestroy, kKillClient };

// Asks the program's window to close, as a window manager's close button
// does; or destroys it, or kills the program's connection, as a window
// manager's "kill" does.
void CloseWindow(const char* title, WindowDeed deed = kAskToClose) {
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    const Window w = FindWindow(d, DefaultRootWindow(d), title);
    ASSERT_NE(w, 0u) << "no window called " << title;
    if (deed != kAskToClose) {
        if (deed == kDestroy) XDestroyWindow(d, w);
        if (deed == kKillClient) XKillClient(d, w);
        XCloseDisplay(d);
        return;
    }
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

// How far an entry may start from its channel time. Each entry's clock starts
// in the frame that notices the last one ended, so a sanitised build's
// slower frames let the entries drift further by the tape's end.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr double kOnTime = 0.1;
#else
constexpr double kOnTime = 0.04;
#endif

// The whole screen, whatever its size.
MEDIA_Picture GrabPicture(Display* d) {
    MEDIA_Picture pic;
    const int screen = DefaultScreen(d);
    pic.width = DisplayWidth(d, screen);
    pic.height = DisplayHeight(d, screen);
    pic.rgb.resize(static_cast<size_t>(pic.width) * pic.height * 3);
    XImage* img = XGetImage(d, DefaultRootWindow(d), 0, 0, pic.width, pic.height, AllPlanes, ZPixmap);
    if (!img) return pic;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            const unsigned long p = XGetPixel(img, x, y);
            uint8_t* q = &pic.rgb[(static_cast<size_t>(y) * pic.width + x) * 3];
            q[0] = (p >> 16) & 0xff;
            q[1] = (p >> 8) & 0xff;
            q[2] = p & 0xff;
        }
    XDestroyImage(img);
    return pic;
}

// The picture's screen as RGBA, row 0 at the bottom (the bench's frame layout).
std::vector<uint8_t> GrabScreen(Display* d) {
    const MEDIA_Picture pic = GrabPicture(d);
    std::vector<uint8_t> rgba(VELQ_SCREEN_WIDTH * VELQ_SCREEN_HEIGHT * 4, 255);
    for (int y = 0; y < VELQ_SCREEN_HEIGHT; ++y)
        for (int x = 0; x < VELQ_SCREEN_WIDTH; ++x)
            std::memcpy(&rgba[(static_cast<size_t>(VELQ_SCREEN_HEIGHT - 1 - y) * VELQ_SCREEN_WIDTH + x) * 4],
                        &pic.rgb[(static_cast<size_t>(y) * pic.width + x) * 3], 3);
    return rgba;
}

bool Black(const std::vector<uint8_t>& s, int x, int y) {
    const BENCH_Rgb p = BENCH_Pixel(s, x, y);
    return p.r < 16 && p.g < 16 && p.b < 16;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
Clock::duration After(double seconds) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// The long runs, for ./test.sh --soak.
bool Soak() { return std::getenv("AMBER_SOAK") != nullptr; }

// Where nothing is timed closer than a second, the quick run runs two
// programs at once, one a core; the soak, in the sanitizer build too, one
// at a time.
size_t ProgramsAtOnce() { return Soak() ? 1 : 2; }

// Where each entry after loading starts, and the tape ends, in seconds after
// entry 1 starts.
const std::vector<double> kSceneTimes = VELQ_PLAY_SceneTimes();
// The loader releases the loading entry this long after its trace line.
constexpr double kFirstScene = 13.0;

// Stills of the real program in the middle of each tape entry, in seconds
// from the first scene's start, saved for people to look at. Each shows
// its scene: the picture band is not one plain colour, and the rows below
// every caption are letterbox black.
void SaveStills(Display* d, Clock::time_point scene_clock) {
    for (size_t e = 1; e < kSceneTimes.size(); ++e) {
        const double moment = std::floor((kSceneTimes[e - 1] + kSceneTimes[e]) / 2);
        std::this_thread::sleep_until(scene_clock + After(moment));
        const auto s = GrabScreen(d);
        BENCH_SaveFrame(s, "program_at_" + std::to_string(int(moment)));
        const BENCH_Rgb first = BENCH_Pixel(s, 0, 240);
        int other_colours = 0;
        for (int y = 100; y < 380; y += 8)
            for (int x = 0; x < VELQ_SCREEN_WIDTH; x += 8) {
                const BENCH_Rgb p = BENCH_Pixel(s, x, y);
                other_colours += std::abs(p.r - first.r) + std::abs(p.g - first.g) > 24;
            }
        EXPECT_GT(other_colours, 20) << moment;
        for (int x = 0; x < VELQ_SCREEN_WIDTH; x += 8) EXPECT_TRUE(Black(s, x, 4)) << moment;
    }
}

// Where the program's tape entry index lies in its process: the symbol's
// place in the (position-independent) executable plus where the executable's
// first mapping starts (a sanitizer's shadow memory may come before it).
uintptr_t EntryIndexAddress(pid_t pid) {
    FILE* nm = popen(("nm " + TEST_Quote(AMBER_PROGRAM)).c_str(), "r");
    char line[512];
    uintptr_t offset = 0;
    while (nm && fgets(line, sizeof line, nm))
        if (std::strstr(line, " velq_caller\n")) offset = std::strtoull(line, nullptr, 16);
    if (nm) pclose(nm);
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    const std::string program = std::filesystem::canonical(AMBER_PROGRAM).string();
    for (std::string mapping; offset && std::getline(maps, mapping);)
        if (mapping.ends_with(" " + program))
            return std::strtoull(mapping.c_str(), nullptr, 16) + offset;
    return 0;
}

// When the program enters each tape entry (index 11: the tape's end), read
// from its memory every millisecond on a thread of its own, up to `last`.
class EntryWatch {
public:
    EntryWatch(pid_t pid, int last) : thread_([this, pid, last] { Watch(pid, last); }) {}
    ~EntryWatch() { thread_.join(); }
    // When entry e was entered, waiting for it up to the timeout.
    std::optional<Clock::time_point> At(int e, std::chrono::seconds timeout) const {
        const auto end = Clock::now() + timeout;
        while (entered_[e].load() == 0 && Clock::now() < end) std::this_thread::sleep_for(1ms);
        if (const Clock::rep at = entered_[e].load()) return Clock::time_point(Clock::duration(at));
        return std::nullopt;
    }

private:
    void Watch(pid_t pid, int last) {
        // A real-time priority, where allowed, keeps the watch punctual on a busy machine.
        const sched_param priority{1};
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
        const uintptr_t address = EntryIndexAddress(pid);
        int32_t seen = 0, entry = 0;
        iovec local{&entry, sizeof entry}, remote{reinterpret_cast<void*>(address), sizeof entry};
        while (seen < last && process_vm_readv(pid, &local, 1, &remote, 1, 0) == sizeof entry) {
            if (entry != seen && entry > 0 && entry < 12)
                entered_[seen = entry] = Clock::now().time_since_epoch().count();
            std::this_thread::sleep_for(1ms);
        }
    }

    std::array<std::atomic<Clock::rep>, 12> entered_{};
    std::thread thread_;
};

// The picture keeps with the soundtrack, which starts with entry 1 and
// stands still with the process: entries 2 to `last` start, and the tape
// ends, when the channel time of the entries before it and the stall have
// passed in real time.
void ExpectEntriesOnChannelTime(const EntryWatch& watch, int last, double stall) {
    const auto first = watch.At(1, 30s);
    ASSERT_TRUE(first) << "entry 1 never started";
    for (int e = 2; e <= last; ++e) {
        const auto at = watch.At(e, 40s);
        ASSERT_TRUE(at) << "entry " << e << " never started";
        const double real = Seconds(*at - *first), expected = kSceneTimes[e - 1] + stall;
        std::printf("entry %d at %.3f s after entry 1 (channel time %.2f s + stall %.3f s)\n", e,
                    real, kSceneTimes[e - 1], stall);
        // The clock drops a stall in whole 20 ms periods.
        const double within = (e == 11 ? 1.5 * kOnTime : kOnTime) + (stall > 0 ? 0.02 : 0);
        EXPECT_NEAR(real, expected, within) << "entry " << e;
    }
}

// Stops the process for a while 1 s into entry 1; returns how long it stood.
double Stall(const Program& p, Clock::time_point first, double seconds) {
    std::this_thread::sleep_until(first + 1s);
    const auto stopped = Clock::now();
    p.Signal(SIGSTOP);
    std::this_thread::sleep_for(After(seconds));
    const auto resumed = Clock::now();
    p.Signal(SIGCONT);
    return Seconds(resumed - stopped);
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
    // The software renderer's own threads corrupt its heap now and then.
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(p.pid()) + "/task"))
        EXPECT_NE(ReadFile(task.path() / "comm").rfind("llvmpipe", 0), 0u);
    const auto pressed = Clock::now();
    Xdotool("key Escape");
    EXPECT_EQ(p.WaitExit(2 * kQuitWithin), 0) << p.output();
    EXPECT_LT(Clock::now() - pressed, kQuitWithin);
}

// Maps a window of another client and gives it the keyboard's focus;
// whether the focus is still there half a second later.
bool FocusAnotherWindow(Display* d) {
    const Window other = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 64, 64, 0, 0, 0);
    XSelectInput(d, other, StructureNotifyMask);
    XMapRaised(d, other);
    XEvent e;
    do XWindowEvent(d, other, StructureNotifyMask, &e);
    while (e.type != MapNotify);
    XSetInputFocus(d, other, RevertToParent, CurrentTime);
    XSync(d, False);
    std::this_thread::sleep_for(500ms);
    Window focus;
    int revert;
    XGetInputFocus(d, &focus, &revert);
    return focus == other;
}

// Escape ends the program while another client's window holds the focus,
// without and with a window manager; Alt-F4 closes it through one, which
// closes the active window.
TEST(Program, EscapeQuitsWhateverHoldsTheFocusAndAltF4ClosesIt) {
    for (const auto& [key, managed] : {std::pair{"Escape", false}, {"Escape", true}, {"alt+F4", true}}) {
        SCOPED_TRACE(std::string(key) + (managed ? " with" : " without") + " a window manager");
        XVFB_Stop();
        XVFB_Start();
        if (managed) XVFB_StartWindowManager();
        Program p("dummy");
        WaitRunning(p);
        Display* d = XOpenDisplay(nullptr);
        if (std::string(key) == "Escape")
            EXPECT_TRUE(FocusAnotherWindow(d));
        else
            Xdotool("search --sync --limit 1 --name 'amber_grid$' windowactivate --sync");
        const auto pressed = Clock::now();
        Xdotool("key " + std::string(key));
        EXPECT_EQ(p.WaitExit(2 * kQuitWithin), 0) << p.output();
        EXPECT_LT(Clock::now() - pressed, kQuitWithin);
        XCloseDisplay(d);
    }
    XVFB_Stop();
}

// The soak's Escape at random moments, 0.5 s to 20 s after VELQ_MAIN (the
// loading and the first scenes): the first half of the runs without a
// window manager, the second with openbox, and in every other run another
// window takes the focus first. AMBER_ESCAPE_RUNS sets the count.
TEST(ProgramEscapes, AtRandomMomentsWhateverHoldsTheFocus) {
    const char* given = std::getenv("AMBER_ESCAPE_RUNS");
    const int runs = given ? std::atoi(given) : 20;
    const unsigned seed = std::random_device()();
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> moment(0.5, 20);
    double slowest = 0;
    int taken = 0;
    for (int run = 0; run < runs; ++run) {
        const double at = moment(random);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", run " + std::to_string(run) +
                     ", Escape at " + std::to_string(at) + " s");
        if (run == 0 || run == runs / 2) {
            XVFB_Stop();
            XVFB_Start();
            if (run > 0) XVFB_StartWindowManager();
        }
        Program p("dummy");
        ASSERT_TRUE(p.WaitFor("VELQ_MAIN\n", 20s)) << p.output();
        const auto main = Clock::now();
        Display* d = XOpenDisplay(nullptr);
        std::this_thread::sleep_until(main + After(std::max(0.0, at - 0.6)));
        if (run % 2) taken += FocusAnotherWindow(d);
        std::this_thread::sleep_until(main + After(at));
        const auto pressed = Clock::now();
        Xdotool("key Escape");
        EXPECT_EQ(p.WaitExit(2 * kQuitWithin), 0) << p.output();
        const double took = Seconds(Clock::now() - pressed);
        EXPECT_LT(took, Seconds(kQuitWithin));
        slowest = std::max(slowest, took);
        XCloseDisplay(d);
    }
    XVFB_Stop();
    std::printf("seed %u: %d runs, %d with the focus on another window at the key; slowest exit "
                "%.3f s\n", seed, runs, taken, slowest);
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
    Xdotool("keyup Escape");  // a key left down would end the next program on this server
}

// The start-up trace in order, loading to its end, and the tape on channel
// time after the process stood still for 1 s (5 s in the soak) in entry 1:
// up to entry 3 here, to its end in the soak with stills of every entry,
// where the program then exits by itself.
TEST(ProgramRun, StartsInOrderAndKeepsTheTapeOnChannelTimeAfterAStall) {
    const int last = Soak() ? 11 : 3;
    Program p;
    ASSERT_TRUE(p.WaitFor("VELQ_LOADER\n", 20s)) << p.output();
    const auto loader_start = Clock::now();
    const EntryWatch watch(p.pid(), last);
    const auto first = watch.At(1, 30s);
    ASSERT_TRUE(first) << p.output();
    std::printf("entry 1 at %.2f s after the loader started\n", Seconds(*first - loader_start));
    EXPECT_GE(Seconds(*first - loader_start), kFirstScene);
    EXPECT_LE(Seconds(*first - loader_start), kFirstScene + 1);
    const double stall = Stall(p, *first, Soak() ? 5 : 1);
    if (Soak()) {
        Display* d = XOpenDisplay(nullptr);
        ASSERT_NE(d, nullptr);
        SaveStills(d, *first + After(stall));
        XCloseDisplay(d);
    }
    ExpectEntriesOnChannelTime(watch, last, stall);
    if (!Soak()) Xdotool("key Escape");
    EXPECT_EQ(p.WaitExit(20s), 0) << p.output();

    // Start-up trace, in order; the drive closes once loading is done.
    const std::string& out = p.output();
    const auto at = [&](const char* line) { return out.find(line); };
    EXPECT_EQ(at("VELQ_MAIN\n"), 0u) << out;
    EXPECT_LT(at("VELQ_MAIN\n"),
              at("CFS_Open: Attempting to open drive ./amber_grid.cfs ... done.\n"));
    EXPECT_LT(at(" done.\nCFS_Open: WendrikFS drive v1.1 ("), at("VELQ_TIMER\n"));
    EXPECT_LT(at("CFS_Open: WendrikFS drive"), at("VELQ_LOADER\n"));
    EXPECT_LT(at("VELQ_TIMER\n"), at("VELQ_CORE\n"));
    EXPECT_LT(at("VELQ_LOADER\n"), at("CFS_Close: Closing drive ... done.\n")) << out;
    EXPECT_NE(at("VELQ_CORE\n"), std::string::npos);
}

// The window destroyed by another client, the program's connection killed,
// or the X server gone: a one-line message and status 1 within a second.
TEST(Program, LosingTheWindowOrTheDisplayEndsWithStatusOneWithinASecond) {
    const char* const kClosed = "VELQ_Display: FATAL_ERROR: The window was closed from outside.\n";
    const char* const kLost = "VELQ_Display: FATAL_ERROR: The display connection was lost.\n";
    const std::pair<const char*, const char*> cases[] = {
        {"window destroyed", kClosed}, {"connection killed", kLost}, {"server killed", kLost}};
    for (const auto& [name, message] : cases) {
        Program p;
        WaitRunning(p);
        const auto lost = Clock::now();
        if (name == cases[0].first) CloseWindow(kCaption, kDestroy);
        if (name == cases[1].first) CloseWindow(kCaption, kKillClient);
        if (name == cases[2].first) XVFB_Stop();
        const int status = p.WaitExit(2 * kQuitWithin);
        const double took = Seconds(Clock::now() - lost);
        std::printf("%s: status %d after %.3f s\n", name, status, took);
        EXPECT_EQ(status, 1) << name << ": " << p.output();
        EXPECT_LT(took, Seconds(kQuitWithin)) << name;
        EXPECT_TRUE(p.output().ends_with(message)) << name << ": " << p.output();
    }
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

// A damaged drive's run: when the test saw its message, and its status.
struct FatalRun {
    const DamagedDrive* drive;
    std::unique_ptr<Program> program;
    std::optional<Clock::time_point> printed{};
    int status = -1;
};

// Watches the runs in turn, a few milliseconds each, until each has
// printed its message and ended, or 30 s have passed.
void WatchFatalRuns(std::vector<FatalRun>& runs) {
    const auto started = Clock::now(), end = started + 30s;
    for (bool waiting = true; waiting && Clock::now() < end;) {
        waiting = false;
        for (FatalRun& r : runs) {
            if (!r.printed && r.program->WaitFor(r.drive->message, 10ms)) {
                r.printed = Clock::now();
                std::printf("%s: the message after %.2f s\n", r.drive->name, Seconds(*r.printed - started));
            }
            if (r.printed && r.status < 0 && (r.status = r.program->WaitExit(10ms)) >= 0) {
                EXPECT_LT(Clock::now() - *r.printed, 1s) << r.drive->name;
            }
            waiting |= r.status < 0;
        }
    }
}

// A fatal failure, on either thread, prints its message as the last line
// and ends the process with status 1 within a second, leaving no report.
// Each drive runs once, three times in the soak.
TEST(ProgramFatal, DamagedDrivesEndWithTheirMessageWithinASecond) {
    const int repeats = Soak() ? 3 : 1;
    std::vector<std::string> dirs;
    for (const DamagedDrive& c : kDamagedDrives) {
        Drive drive;
        if (c.damage) c.damage(drive);
        dirs.push_back(drive.Folder(c.name, c.damage != nullptr));
    }
    for (int run = 0; run < repeats; ++run)
        for (size_t first = 0; first < dirs.size(); first += ProgramsAtOnce()) {
            std::vector<FatalRun> batch;
            for (size_t i = first; i < std::min(first + ProgramsAtOnce(), dirs.size()); ++i)
                batch.push_back({&kDamagedDrives[i], std::make_unique<Program>("disk", dirs[i])});
            WatchFatalRuns(batch);
            for (FatalRun& r : batch) {
                EXPECT_TRUE(r.printed) << r.drive->name << ": " << r.program->output();
                EXPECT_EQ(r.status, 1) << r.drive->name << ": " << r.program->output();
                // The loader thread may print its trace line after a start-up failure.
                std::string out = r.program->output();
                if (const size_t at = out.rfind("VELQ_LOADER\n"); at != std::string::npos)
                    out.erase(at, 12);
                EXPECT_TRUE(out.ends_with(r.drive->message)) << r.drive->name << ": " << out;
            }
        }
    std::printf("%zu damaged drives, %d runs each\n", std::size(kDamagedDrives), repeats);
}

enum QuitWay { kEscape, kClose, kSigterm, kSigint };
const char* const kWays[] = {"Escape", "close", "SIGTERM", "SIGINT"};

struct Quit {
    double at;  // seconds after the loader's trace line
    QuitWay way;
};

// The moments where a quit meets the most going on: the loader's first
// pause, its first step's reading, the release of the loading entry that
// starts the soundtrack, and the first scene playing.
std::vector<Quit> RiskyQuits() {
    return {{1, kEscape}, {3.02, kClose}, {kFirstScene, kSigterm}, {kFirstScene + 1, kSigint}};
}

// Twenty moments from a seed, a new one each run unless AMBER_QUIT_SEED
// gives it: 11 over loading, the starts of entries 1 and 2 and of two of
// entries 3 to 6, and 5 over the tape, denser early. A draw whose moments
// add up to more than 8 minutes is drawn again, to keep the soak inside its
// time. The ways take turns.
std::vector<Quit> SeededQuits() {
    const char* given = std::getenv("AMBER_QUIT_SEED");
    const unsigned seed = given ? std::strtoul(given, nullptr, 10) : std::random_device()();
    std::printf("quit moments from seed %u (AMBER_QUIT_SEED=%u repeats them)\n", seed, seed);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<double> moments;
    do {
        moments.clear();
        for (int i = 0; i < 11; ++i) moments.push_back(0.2 + unit(random) * (kFirstScene - 0.2));
        for (int e : {1, 2, int(3 + random() % 4), int(3 + random() % 4)})
            moments.push_back(kFirstScene + kSceneTimes[e - 1] + (unit(random) - 0.5) * 0.2);
        for (int i = 0; i < 5; ++i)
            moments.push_back(kFirstScene + std::pow(unit(random), 3) * (kSceneTimes.back() - 1));
    } while (std::accumulate(moments.begin(), moments.end(), 0.0) > 480);
    std::vector<Quit> quits;
    for (size_t i = 0; i < moments.size(); ++i) quits.push_back({moments[i], QuitWay(i % 4)});
    return quits;
}

// Escape, window close, SIGTERM and SIGINT each end the program with status
// 0 within a second, during loading too; quitting before the loader has
// finished does not wait for it.
TEST(ProgramQuit, EveryWayEndsWithStatusZeroWithinASecond) {
    const auto test_start = Clock::now();
    for (const Quit& q : Soak() ? SeededQuits() : RiskyQuits()) {
        Program p;
        ASSERT_TRUE(p.WaitFor("VELQ_LOADER\n", 20s)) << p.output();
        std::this_thread::sleep_until(Clock::now() + After(q.at));
        const auto quit = Clock::now();
        if (q.way == kEscape) Xdotool("key Escape");
        if (q.way == kClose) CloseWindow(kCaption);
        if (q.way == kSigterm || q.way == kSigint) p.Signal(q.way == kSigterm ? SIGTERM : SIGINT);
        const int status = p.WaitExit(2 * kQuitWithin);
        const double took = Seconds(Clock::now() - quit);
        std::printf("quit by %s at %.2f s: status %d after %.3f s\n", kWays[q.way], q.at, status,
                    took);
        EXPECT_EQ(status, 0) << kWays[q.way] << " at " << q.at << ": " << p.output();
        EXPECT_LT(took, Seconds(kQuitWithin)) << kWays[q.way] << " at " << q.at;
        if (q.at < kFirstScene - 1) {
            EXPECT_EQ(p.output().find("CFS_Close"), std::string::npos) << "loading had ended";
        }
    }
    std::printf("quits in %.0f s\n", Seconds(Clock::now() - test_start));
}

// A missing or unreadable soundtrack is reported once and the production
// plays on without sound; a file cut short plays what it holds. The soak
// runs every case, the quick run the first two.
TEST(ProgramSound, BrokenSoundtrackPlaysSilently) {
    const std::string mp3 = ReadFile(AMBER_BUILD_DIR "/amber_grid.mp3");
    const std::pair<const char*, std::string> cases[] = {{"missing", ""},
                                                         {"cut", mp3.substr(0, mp3.size() / 50)},
                                                         {"empty", ""},
                                                         {"truncated", mp3.substr(0, 300)},
                                                         {"garbage", std::string(20000, 'x')}};
    const std::string line = "FSOUND_Stream_Open: amber_grid.mp3: ";
    const auto run = std::span(cases).first(Soak() ? std::size(cases) : 2);
    for (size_t first = 0; first < run.size(); first += ProgramsAtOnce()) {
        const auto batch = run.subspan(first, std::min(ProgramsAtOnce(), run.size() - first));
        std::vector<std::unique_ptr<Program>> programs;
        for (const auto& [name, bytes] : batch) {
            const std::string dir = Drive().Folder(std::string("sound_") + name);
            std::filesystem::remove(dir + "/amber_grid.mp3");
            if (std::strcmp(name, "missing") != 0)
                std::ofstream(dir + "/amber_grid.mp3", std::ios::binary) << bytes;
            programs.push_back(std::make_unique<Program>("disk", dir));
        }
        for (auto& p : programs) ASSERT_TRUE(p->WaitFor("VELQ_LOADER\n", 20s)) << p->output();
        std::this_thread::sleep_for(After(kFirstScene + 2));
        for (auto& p : programs) p->Signal(SIGTERM);
        for (size_t i = 0; i < batch.size(); ++i) {
            const char* name = batch[i].first;
            Program& p = *programs[i];
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
}

// The loading scene's moment the screens are compared at, in seconds from
// the program's start.
constexpr int kScreenMoment = 5;

// On screens larger than the picture, with and without a window manager,
// the whole picture shows: scaled to the screen's height (bars left and
// right) or width (bars above and below), centred on black.
TEST(ProgramScreens, ShowTheWholePictureScaledAndCentredOnBlack) {
    const std::string dir = testing::TempDir();
    const std::string capture =
        TEST_Quote(AMBER_CAPTURE) + " --still " + std::to_string(kScreenMoment);
    ASSERT_EQ(std::system(("cd " + TEST_Quote(dir) + " && " + capture + " >/dev/null 2>&1").c_str()), 0);
    const std::string still = dir + "amber_grid_at_" + std::to_string(kScreenMoment) + ".png";
    for (const auto& [width, height] : {std::pair{1920, 1080}, std::pair{1280, 1024}})
        for (const bool managed : {false, true}) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) +
                         (managed ? " with a window manager" : " without a window manager"));
            XVFB_Start(width, height);
            if (managed) XVFB_StartWindowManager();
            const auto start = Clock::now();
            Program p("dummy", AMBER_BUILD_DIR, width, height);
            ASSERT_TRUE(p.WaitFor("VELQ_CORE\n", 20s)) << p.output();
            std::this_thread::sleep_until(start + std::chrono::seconds(kScreenMoment));
            Display* d = XOpenDisplay(nullptr);
            const MEDIA_Picture screen = GrabPicture(d);
            XCloseDisplay(d);
            Xdotool("key Escape");
            EXPECT_EQ(p.WaitExit(2 * kQuitWithin), 0) << p.output();
            const std::string shot = dir + "screen.png";
            ASSERT_TRUE(MEDIA_WritePng(shot, screen.rgb, width, height));
            const std::string compare =
                TEST_Quote(AMBER_STILLCMP) + " " + TEST_Quote(still) + " " + TEST_Quote(shot);
            EXPECT_EQ(std::system(compare.c_str()), 0);
        }
}

}  // namespace
