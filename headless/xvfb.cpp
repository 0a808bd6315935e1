#include "headless/xvfb.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr auto kWindowManagerWithin = 10s;

pid_t xvfb_pid = 0;
pid_t manager_pid = 0;
pid_t owner_pid = 0;
std::string xvfb_screen;

// In a forked child: ends with the process that started it, however that
// ends, and says nothing.
void BecomeQuietHelper() {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    close(null);
}

[[noreturn]] void ExecXvfb(int ready_fd, const std::string& screen) {
    BecomeQuietHelper();
    const std::string fd = std::to_string(ready_fd);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
           "tcp", "-nolisten", "unix", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
}

// Xvfb writes its display number, then a line end, once it accepts clients.
std::string ReadDisplayNumber(int fd) {
    std::string number;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n') number += c;
    return number;
}

// Whether a window manager lists what it supports on the root window, as it
// does once it is in charge.
bool ScreenIsManaged(Display* d) {
    const Atom supported = XInternAtom(d, "_NET_SUPPORTED", False);
    int format;
    unsigned long count = 0, after;
    Atom type;
    unsigned char* data = nullptr;
    XGetWindowProperty(d, DefaultRootWindow(d), supported, 0, 1, False, AnyPropertyType, &type,
                       &format, &count, &after, &data);
    XFree(data);
    return count > 0;
}

void End(pid_t* pid) {
    if (*pid <= 0) return;
    kill(*pid, SIGTERM);
    waitpid(*pid, nullptr, 0);
    *pid = 0;
}

}  // namespace

void XVFB_Start(int width, int height) {
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    if (xvfb_pid > 0 && screen == xvfb_screen) return;
    XVFB_Stop();
    xvfb_screen = screen;
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    xvfb_pid = fork();
    if (xvfb_pid < 0) throw std::runtime_error("fork failed");
    if (xvfb_pid == 0) {
        close(fds[0]);
        ExecXvfb(fds[1], screen);
    }
    close(fds[1]);
    const std::string number = ReadDisplayNumber(fds[0]);
    close(fds[0]);
    if (number.empty()) {
        End(&xvfb_pid);
        throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    if (owner_pid == 0) atexit(XVFB_Stop);
    owner_pid = getpid();
}

void XVFB_StartWindowManager() {
    if (manager_pid > 0) return;
    Display* d = XOpenDisplay(nullptr);
    if (!d) throw std::runtime_error("no X server for the window manager");
    manager_pid = fork();
    if (manager_pid == 0) {
        BecomeQuietHelper();
        execlp("openbox", "openbox", static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto end = std::chrono::steady_clock::now() + kWindowManagerWithin;
    bool managed;
    while (!(managed = ScreenIsManaged(d)) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(50ms);
    XCloseDisplay(d);
    if (!managed) throw std::runtime_error("openbox did not take the screen within 10 s");
}

// Forked children inherit the exit handler; only the process that started
// the server stops it.
void XVFB_Stop() {
    if (getpid() != owner_pid) return;
    End(&manager_pid);
    End(&xvfb_pid);
}
