#include "headless/xvfb.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

pid_t xvfb_pid = 0;
pid_t owner_pid = 0;
std::string xvfb_screen;

[[noreturn]] void ExecXvfb(int ready_fd, const std::string& screen) {
    // The server must not outlive a test that crashes.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    const std::string fd = std::to_string(ready_fd);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
           "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
}

// Xvfb writes its display number, then a line end, once it accepts clients.
std::string ReadDisplayNumber(int fd) {
    std::string number;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n') number += c;
    return number;
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
    if (number.empty())
        throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    setenv("DISPLAY", (":" + number).c_str(), 1);
    if (owner_pid == 0) atexit(XVFB_Stop);
    owner_pid = getpid();
}

// Forked children inherit the exit handler; only the process that started
// the server stops it.
void XVFB_Stop() {
    if (xvfb_pid <= 0 || getpid() != owner_pid) return;
    kill(xvfb_pid, SIGTERM);
    waitpid(xvfb_pid, nullptr, 0);
    xvfb_pid = 0;
}
