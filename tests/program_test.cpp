// The real program under a private X server: start-up trace, the keys that
// end it, the window close, and the missing sound device.
#include <gtest/gtest.h>
// Xlib's macros clash with GoogleTest's names, so it comes after it.
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tests/xvfb.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class Program {
public:
    explicit Program(const char* audio_driver = "disk") {
        XVFB_Start();
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            setenv("SDL_AUDIODRIVER", audio_driver, 1);
            setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
            if (chdir(AMBER_BUILD_DIR) != 0) _exit(126);
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
    }

    // Collects output until it contains text; false after the timeout.
    bool WaitFor(const std::string& text, std::chrono::milliseconds timeout) {
        const auto end = Clock::now() + timeout;
        while (output_.find(text) == std::string::npos) {
            if (Clock::now() > end || !Pump(50)) return output_.find(text) != std::string::npos;
        }
        return true;
    }
    // The exit status, or -1 if the program still runs after the timeout.
    int WaitExit(std::chrono::milliseconds timeout) {
        const auto end = Clock::now() + timeout;
        while (status_ < 0 && Clock::now() < end) {
            int raw;
            if (waitpid(pid_, &raw, WNOHANG) == pid_)
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            else
                Pump(10);
        }
        while (Pump(0)) {
        }
        return status_;
    }
    const std::string& output() const { return output_; }

private:
    // Reads what is available; false at end of output.
    bool Pump(int wait_ms) {
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, wait_ms) <= 0) return true;
        char buf[4096];
        const ssize_t n = read(out_, buf, sizeof buf);
        if (n <= 0) return false;
        output_.append(buf, n);
        return true;
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
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        const bool match = std::strcmp(name, title) == 0;
        XFree(name);
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
    EXPECT_EQ(p.WaitExit(2s), 0) << p.output();
    EXPECT_LT(Clock::now() - pressed, 1s);
}

TEST(Program, OtherKeysAndKeyReleasesDoNotQuit) {
    Program p;
    WaitRunning(p);
    Xdotool("key a");
    Xdotool("key space");
    Xdotool("keyup Escape");
    EXPECT_EQ(p.WaitExit(1500ms), -1) << "quit on a key that is not an Escape press";
    Xdotool("keydown Escape");
    EXPECT_EQ(p.WaitExit(2s), 0);
}

TEST(Program, ClosingTheWindowQuits) {
    Program p;
    WaitRunning(p);
    CloseWindow(kCaption);
    EXPECT_EQ(p.WaitExit(2s), 0) << p.output();
}

TEST(Program, WithoutSoundDeviceReportsTheErrorAndReturnsOne) {
    Program p("no_such_audio_driver");
    EXPECT_EQ(p.WaitExit(20s), 1) << p.output();
    EXPECT_NE(p.output().find("VELQ_MAIN\nError!\nError initializing output device.\n"),
              std::string::npos)
        << p.output();
}

}  // namespace
